#pragma once

#include "transfer/FtpClient.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CurlFtpClient;
class QEventLoop;
class QObject;

// The site session of a run on threads of their own, with room for more
// connections to the same account that store files side by side.
//
// As an FtpClient it is the run's one session: each call goes over the first
// connection, on its thread, in turn with the stores handed over before it,
// and the caller's event loop runs until the call returns, so a window goes
// on repainting and takes its keys however long a server takes to answer. A
// failure comes back as the exception the session threw.
//
// Stores handed over with submit() go over whichever connection is free:
// the first, and up to connections() - 1 more that log in with the account of
// the first once it is logged in and stores wait for a connection. They log
// in one after the other; a server that refuses another login (a limit of
// connections per login, or anything else) keeps the run at the connections
// it took, and says so once (takeNotes()). A further connection whose session
// breaks is closed and not made again until the first connects anew.
class SessionPool : public FtpClient {
public:
    // Sets up each new connection (firewall, time-outs, known hosts, trace)
    // on its own thread; number counts the connections from 1.
    using SetUp = std::function<void(CurlFtpClient &, int number)>;
    explicit SessionPool(SetUp setUp = {});
    // Ends whatever is on its way and closes every connection.
    ~SessionPool() override;
    SessionPool(const SessionPool &) = delete;
    SessionPool &operator=(const SessionPool &) = delete;

    // How many connections may go to the site at once (1 or more). Counts
    // from the next store, and forgets a limit a server set.
    void setConnections(int connections);
    int connections() const;
    // Runs work on every connection (between its steps), and on each made later.
    void configure(const std::function<void(CurlFtpClient &)> &work);

    // A file to store in a directory of the site, as the session spells it.
    struct Store {
        QString directory;
        QString localPath; // read when the bytes are not given
        QByteArray bytes;
        bool fromMemory = false;
        QString remoteName;
    };
    enum class State { Waiting, Going, Done, Dropped };
    struct Outcome {
        State state = State::Waiting;
        QString error; // why a store that is done failed; empty when it arrived
    };
    // Hands a store over; its outcome is asked for by the number returned.
    quint64 submit(Store store);
    Outcome outcome(quint64 id) const;
    // Forgets a store that is done or dropped.
    void forget(quint64 id);
    // The stores handed over and not done yet, and their bytes in memory.
    int storesInHand() const;
    qint64 bytesInHand() const;
    // A count that grows whenever a store begins or ends, or a note comes.
    quint64 changes() const;
    // Runs the caller's event loop until changes() is no longer since.
    void waitForChange(quint64 since);
    // What the pool had to say about itself since the last call.
    QStringList takeNotes();

    // Ends the steps on their way on every connection at once ("Stopped by
    // the user") and drops the stores not begun; the calls after it fail
    // until clearAbort().
    void abort();
    void clearAbort();

    bool isConnected() const override;
    QString host() const override { return m_host; }
    QString login() const override { return m_login; }
    int port() const override { return m_port; }
    // Logs the first connection in; the others follow the account it uses.
    void connectTo(const QString &host, const QString &login, int port, const QString &password) override;
    // Closes every connection; stores not begun are dropped.
    void disconnect() override;
    QString printWorkingDirectory() override;
    void changeUp() override;
    void changeDirectory(const QString &directory) override;
    void store(const QString &localPath, const QString &remoteName) override;
    void storeBytes(const QByteArray &bytes, const QString &remoteName) override;
    void removeFile(const QString &name) override;
    std::optional<QHash<QString, qint64>> listSizes() override;
    QString connectNote() const override { return m_note; }
    // Given to every connection, and to those made later.
    void setKeyPassphrase(const QString &keyFile, const QString &passphrase) override;
    // The current directory of the first connection as far as it is known
    // without asking; empty when it is not.
    QString knownDirectory() const { return m_directory; }

private:
    struct Lane;
    struct Call;
    struct Item {
        quint64 id = 0;
        std::shared_ptr<Call> call; // for the first connection only; else a store
        Store store;
    };
    // Runs work on the first connection, in turn, and waits for it.
    void call(const std::function<void(CurlFtpClient &)> &work);
    void run(Lane &lane);
    // Under the lock: the next item for the lane, or none to wait for.
    std::optional<Item> takeFor(Lane &lane);
    void runStore(CurlFtpClient &session, const Item &item);
    // A further connection logging in; false when the server refused it.
    bool logInFurther(Lane &lane, CurlFtpClient &session);
    // Under the lock: starts a further connection when stores wait for one.
    void growIfWanted();
    // Under the lock: counts a change and wakes a waiting caller.
    void changed();
    void applyConfigs(Lane &lane, CurlFtpClient &session);

    SetUp m_setUp;
    mutable std::mutex m_mutex;
    std::condition_variable m_work;
    std::deque<Item> m_queue;
    std::map<quint64, Outcome> m_outcomes;
    std::vector<std::unique_ptr<Lane>> m_lanes; // the first always there
    std::vector<std::function<void(CurlFtpClient &)>> m_configs;
    QStringList m_notes;
    quint64 m_nextId = 1;
    quint64 m_changes = 0;
    int m_inHand = 0;
    qint64 m_bytesInHand = 0;
    int m_connections = 1;
    int m_limit = 0;        // connections a server allowed, 0 for none found
    bool m_growing = false; // a further connection is logging in
    bool m_firstUp = false; // the first connection is logged in
    bool m_aborted = false;
    QString m_credentialsHost, m_credentialsLogin, m_credentialsPassword;
    int m_credentialsPort = 0;
    bool m_quit = false;
    // Waking a caller that runs its event loop in waitForChange.
    std::unique_ptr<QObject> m_waker;
    QEventLoop *m_waiting = nullptr; // the caller's thread only
    bool m_wakeAsked = false;
    // What the first connection said of itself after the last call; the
    // caller's thread only.
    QString m_host, m_login, m_note, m_directory;
    int m_port = 21;
};
