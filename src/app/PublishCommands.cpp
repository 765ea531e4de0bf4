#include "PublishCommands.h"

#include "publish/PublishRun.h"
#include "publish/TdlgArchive.h"
#include "ui/Prompt.h"

#include <QDateEdit>
#include <QScopeGuard>
#include <QTimer>

PublishCommands::PublishCommands(PublishControl &control, Window window)
    : QObject(window.widget), m_control(control), m_window(std::move(window)),
      m_dlgArchive(new TdlgArchive(m_window.widget))
{
}

void PublishCommands::run(const std::function<void(PublishRun &, SiteTransfer &)> &work)
{
    // A window closed during the run closes once the run has ended.
    const auto closeAfter = qScopeGuard([this] {
        if (m_closeAfterRun)
            QTimer::singleShot(0, m_window.widget, &QWidget::close);
    });
    m_control.run(m_window.inputs(), work);
}

void PublishCommands::publish()
{
    if (m_window.settle())
        run([](PublishRun &run, SiteTransfer &) { run.PublishEntry(); });
}

void PublishCommands::sendAll()
{
    m_control.setSendAll(true);
    const auto reset = qScopeGuard([this] { m_control.setSendAll(false); });
    publish();
}

void PublishCommands::archive()
{
    // The range is asked before the run starts: its progress and Stop
    // show only once there is a run to follow.
    const auto range = archiveRange();
    if (!range) {
        Prompt::inform(m_window.widget, PublishRun::noDateRangeMessage());
        return;
    }
    m_dlgArchive->dtFrom->setDate(range->first);
    m_dlgArchive->dtTo->setDate(range->second);
    if (m_dlgArchive->exec() != QDialog::Accepted)
        return;
    const QDate from = m_dlgArchive->dtFrom->date();
    const QDate to = m_dlgArchive->dtTo->date();
    // No busy cursor: the window stays usable while the run works.
    run([from, to](PublishRun &run, SiteTransfer &) { run.PublishArchive(from, to); });
}

std::optional<std::pair<QDate, QDate>> PublishCommands::archiveRange()
{
    const PublishInputs inputs = m_window.inputs();
    SiteTransfer quiet(inputs.stagingDir, [](const QString &) {});
    PendingLists none;
    PublishContext ctx{inputs.db,
                       inputs.settings,
                       inputs.options,
                       Clock::system(),
                       NameTables::current(),
                       inputs.stagingDir,
                       inputs.journal,
                       quiet,
                       none};
    return PublishRun(ctx).archiveRange();
}
