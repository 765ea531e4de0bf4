#pragma once

#include "publish/PublishTypes.h"
#include "transfer/Firewall.h"
#include "transfer/SiteTransfer.h"

#include <QObject>

#include <functional>
#include <memory>

class Database;
class KnownHosts;
class MainActions;
class PublishRun;
class QLabel;
class QMainWindow;
class QProgressBar;
class QToolButton;
class Settings;
class SessionPool;

// What a run from the window works over: the journal on view and the lists
// and files it sends. The references must outlive the run.
struct PublishInputs {
    Database &db;
    Settings &settings;
    PublishOptions options;
    QString stagingDir;
    JournalSettings journal;
    PendingLists &pending;
};

// The publish and archive runs of the main window: the site session and its
// further connections, kept from run to run on threads of their own so the
// window never waits on the network; the trusted site keys (Wren.hosts); the upload record
// (Transfer.DAT); the progress and its Stop button in the status bar; the
// commands that stay off while a run works; and the word the status bar gives
// when it ends.
class PublishControl : public QObject {
    Q_OBJECT
public:
    // Log lines go to log; the status bar widgets are added to the window's.
    PublishControl(QMainWindow &window, MainActions &actions, LogSink log);
    ~PublishControl() override;

    // The data directory, where the trusted keys and the upload record live.
    void setDataDir(const QString &dataDir);
    // Passive mode counts from the next file, the proxy from the next connect.
    void setFirewall(const FirewallSettings &firewall);

    // Runs work on a run over the inputs. While it works the window stays
    // usable, the commands that would start another run are off, and Stop
    // cuts the file on its way short. A completed publish takes the files
    // it sent off the pending lists; files added meanwhile stay.
    void run(const PublishInputs &inputs, const std::function<void(PublishRun &, SiteTransfer &)> &work);
    // Whether a run works, and asking it to stop at once.
    bool isRunning() const { return m_transfer != nullptr; }
    void stop();
    // The next run sends every page whatever the upload record says.
    void setSendAll(bool sendAll) { m_sendAll = sendAll; }
    // Closes the session without a log line.
    void endSession();

private:
    void showProgress(int sent, int planned, const QString &name);
    void showStatus(const QString &text);

    QMainWindow &m_window;
    MainActions &m_actions;
    LogSink m_log;
    QString m_dataDir;
    std::unique_ptr<SessionPool> m_ftp;
    std::unique_ptr<KnownHosts> m_knownHosts;
    SiteTransfer *m_transfer = nullptr; // the run under way
    bool m_sendAll = false;
    QLabel *m_progressLabel = nullptr;
    QString m_progressText; // the last progress shown
    QProgressBar *m_progressBar = nullptr;
    QToolButton *m_stopButton = nullptr;
};
