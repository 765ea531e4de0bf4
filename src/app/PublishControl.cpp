#include "PublishControl.h"

#include "app/MainActions.h"
#include "ui/Prompt.h"
#include "base/Settings.h"
#include "base/WrenError.h"
#include "publish/PublishRun.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/KnownHosts.h"
#include "transfer/SessionPool.h"
#include "transfer/SiteTrust.h"
#include "transfer/RecordedTransfer.h"

#include <QAction>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QScopeGuard>
#include <QStatusBar>
#include <QToolButton>

PublishControl::PublishControl(QMainWindow &window, MainActions &actions, LogSink log)
    : QObject(&window), m_window(window), m_actions(actions), m_log(std::move(log)),
      m_ftp(std::make_unique<SessionPool>())
{
    m_progressLabel = new QLabel;
    m_progressBar = new QProgressBar;
    m_progressBar->setMaximumWidth(160);
    m_progressBar->setTextVisible(false);
    m_stopButton = new QToolButton;
    m_stopButton->setObjectName(QStringLiteral("btnStop"));
    m_stopButton->setText(QStringLiteral("Stop"));
    m_stopButton->setToolTip(QStringLiteral("Stop publishing: the file on its way is cut short"));
    connect(m_stopButton, &QToolButton::clicked, this, &PublishControl::stop);
    QStatusBar *bar = window.statusBar();
    bar->addPermanentWidget(m_progressLabel);
    bar->addPermanentWidget(m_progressBar);
    bar->addPermanentWidget(m_stopButton);
    m_progressLabel->hide();
    m_progressBar->hide();
    m_stopButton->hide();
}

PublishControl::~PublishControl() = default;

void PublishControl::setDataDir(const QString &dataDir)
{
    m_dataDir = dataDir;
    m_knownHosts = std::make_unique<KnownHosts>(QDir(dataDir).filePath(QStringLiteral("Wren.hosts")));
    KnownHosts *known = m_knownHosts.get();
    m_ftp->configure([known](CurlFtpClient &client) { client.setKnownHosts(known); });
}

void PublishControl::setFirewall(const FirewallSettings &firewall)
{
    m_ftp->configure([firewall](CurlFtpClient &client) { client.setFirewall(firewall); });
}

void PublishControl::stop()
{
    if (!m_transfer)
        return;
    m_transfer->requestStop();
    m_ftp->abort();
}

void PublishControl::endSession()
{
    m_ftp->disconnect();
}

void PublishControl::showProgress(int sent, int planned, const QString &name)
{
    m_progressBar->setRange(0, planned);
    m_progressBar->setValue(sent - 1);
    m_progressText = QStringLiteral("Sending file %1 of %2: %3").arg(sent).arg(planned).arg(name);
    m_progressLabel->setText(m_progressText);
}

void PublishControl::showStatus(const QString &text)
{
    // Nothing to wait for any more: the progress as it stood.
    m_progressLabel->setText(text.isEmpty() ? m_progressText : text);
}

void PublishControl::run(const PublishInputs &inputs, const std::function<void(PublishRun &, SiteTransfer &)> &work)
{
    // A command that reaches here while a run works (the new-journal offer to
    // publish) waits for the next: one run at a time owns the session.
    if (m_transfer) {
        m_log(QStringLiteral("A publish run is under way: try again when it has ended"));
        return;
    }
    RecordedTransfer recorded(inputs.stagingDir, m_dataDir, m_log, m_ftp.get(), m_knownHosts.get(), m_sendAll);
    SiteTransfer &transfer = recorded.transfer;
    m_ftp->clearAbort();
    m_ftp->setConnections(inputs.settings.value(Setting::Connections));
    transfer.trustNewHost = [this](const HostKeyFailure &failure) {
        const QString question = SiteTrust::question(failure);
        return SiteTrust::trustedByDefault(failure)
                   ? Prompt::ask(&m_window, question, SiteTrust::title(failure))
                   : Prompt::askDefaultNo(&m_window, question, SiteTrust::title(failure));
    };
    // Kept by the session until the window closes, never on disk.
    transfer.askPassphrase = [this](const KeyPassphraseFailure &failure) {
        return Prompt::askSecret(&m_window, SiteTrust::passphraseQuestion(failure),
                                 QStringLiteral("SSH Key Passphrase"));
    };
    transfer.progress = [this](int sent, int planned, const QString &name) { showProgress(sent, planned, name); };
    transfer.status = [this](const QString &text) { showStatus(text); };
    // The window stays usable while files are on their way, so the run works
    // on copies of what may change meanwhile, and nothing can start it twice.
    const PendingLists snapshot = inputs.pending;
    PendingLists pending = snapshot;
    PublishContext ctx{inputs.db,         inputs.settings, inputs.options, Clock::system(), NameTables::current(),
                       inputs.stagingDir, inputs.journal,  transfer,       pending};
    // Off while the run works: another run, and whatever changes the journals it reads.
    const QStringList blocked{"actPublish",  "actSendAll", "actArchive", "actPurge",
                              "actJournals", "actFileMan", "actRestore", "actNewJournal"};
    QHash<QString, bool> wasEnabled;
    for (const QString &name : blocked) {
        wasEnabled[name] = m_actions[name]->isEnabled();
        m_actions[name]->setEnabled(false);
    }
    m_transfer = &transfer;
    m_progressLabel->clear();
    m_progressText.clear();
    m_progressLabel->show();
    m_progressBar->setRange(0, 1); // each run starts empty, not where the last one ended
    m_progressBar->setValue(0);
    m_progressBar->show();
    m_stopButton->show();
    const auto restore = qScopeGuard([&] {
        m_transfer = nullptr;
        for (const QString &name : blocked)
            m_actions[name]->setEnabled(wasEnabled.value(name));
        m_progressBar->hide();
        m_stopButton->hide();
        m_progressLabel->hide();
        m_window.statusBar()->showMessage(transfer.outcome(), 10000);
    });
    PublishRun run(ctx);
    work(run, transfer);
    inputs.pending.settleAfterRun(snapshot, pending);
}
