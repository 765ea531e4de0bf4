#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

using CURL = void;
using CURLM = void;
class CurlSockets;
class QIODevice;

// One libcurl handle of a session and the requests run on it, one at a time.
// Each request sets what sets it apart (its URL, commands, a file to send, a
// listing to fetch), runs in slices through the multi interface with the
// idle hook called between slices, and leaves the handle as it found it for
// the next; the handle keeps the connection from request to request.
//
// The server's last reply line, what a download brought and libcurl's error
// text stay here for the caller to judge after each run.
class CurlRunner {
public:
    // What libcurl's own log tells: the commands sent, for the trace, and
    // its notes during an SSH login with a key file.
    struct DebugSink {
        std::function<void(const QString &)> trace;
        QByteArray notes;
        bool keepNotes = false;
        bool sftp = false; // the session's own trace tells SFTP operations
    };

    // What one request asks of the handle beyond the session's options.
    struct Request {
        QByteArray url;             // empty: the session's own (its root)
        bool body = false;          // false: commands only, no data connection
        QList<QByteArray> commands; // sent first, each as the server takes it
        QIODevice *upload = nullptr;
        qint64 uploadSize = 0;
        const char *listing = nullptr; // the command of a download, as "MLSD"; null: libcurl's own
        bool namesOnly = false;        // a directory read for its names only
        bool fileTime = false;         // asks the file's time and size
        bool passive = false;          // data connections by PASV rather than PORT
    };

    // The sockets' hooks are put on each new handle, and the stop switch
    // read; sockets outlives the runner.
    explicit CurlRunner(CurlSockets &sockets);
    ~CurlRunner();
    CurlRunner(const CurlRunner &) = delete;
    CurlRunner &operator=(const CurlRunner &) = delete;

    // A new handle in place of the old one, whose connection ends; false
    // when libcurl has no memory for one.
    bool open();
    void close();
    bool isOpen() const { return m_easy; }
    CURL *handle() const { return m_easy; }

    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }
    void setTimeouts(int connectSeconds, int stallSeconds);
    DebugSink &debug() { return m_debug; }
    const DebugSink &debug() const { return m_debug; }
    // The session's own URL, which each request returns the handle to.
    void setHome(const QByteArray &url);

    // Runs the request; returns the libcurl result. The commands are
    // traced as libcurl sends them.
    int run(const Request &request);

    // The last complete reply line of the server in the last run.
    const QString &lastReply() const { return m_lastReply; }
    // What the last run downloaded (a directory listing).
    const QByteArray &received() const { return m_received; }
    QString errorText() const;

private:
    void applyCommon(bool passive);
    int perform();

    CurlSockets &m_sockets;
    CURL *m_easy = nullptr;
    CURLM *m_multi = nullptr;
    std::function<void()> m_idle;
    DebugSink m_debug;
    int m_connectSeconds = 120;
    int m_stallSeconds = 120;
    QByteArray m_home;
    QString m_lastReply;
    QByteArray m_received;
    char m_errorText[256] = {};
};
