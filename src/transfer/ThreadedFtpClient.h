#pragma once

#include "transfer/FtpClient.h"

#include <QThread>

#include <functional>

class CurlFtpClient;
class QObject;

// The site session on a thread of its own, which makes, uses and deletes the
// libcurl handles. Each call is handed to that thread in order; the calling
// thread runs its event loop until the call returns, so a window goes on
// repainting, echoing keys and opening menus however long a server takes to
// answer. A failure of the session comes back as the exception it threw.
//
// abort() may be called while a call is under way (from a handler the event
// loop runs): the transfer on its way ends at once with "Stopped by the user"
// and the session closes.
class ThreadedFtpClient : public FtpClient {
public:
    ThreadedFtpClient();
    ~ThreadedFtpClient() override;
    ThreadedFtpClient(const ThreadedFtpClient &) = delete;
    ThreadedFtpClient &operator=(const ThreadedFtpClient &) = delete;

    // Runs work on the session's thread with the session (its settings:
    // firewall, time-outs, known hosts, trace) and waits for it.
    void configure(const std::function<void(CurlFtpClient &)> &work);
    void abort();
    // A stopped session takes calls again.
    void clearAbort();

    bool isConnected() const override { return m_connected; }
    QString host() const override { return m_host; }
    QString login() const override { return m_login; }
    int port() const override { return m_port; }
    void connectTo(const QString &host, const QString &login, int port, const QString &password) override;
    void disconnect() override;
    QString printWorkingDirectory() override;
    void changeUp() override;
    void changeDirectory(const QString &directory) override;
    void store(const QString &localPath, const QString &remoteName) override;
    std::optional<QHash<QString, qint64>> listSizes() override;
    QString connectNote() const override { return m_note; }
    void setKeyPassphrase(const QString &keyFile, const QString &passphrase) override;

private:
    // Runs work on the session's thread, then takes the session's state.
    void call(const std::function<void(CurlFtpClient &)> &work);

    QThread m_thread;
    QObject *m_worker = nullptr;       // lives on m_thread; calls are queued to it
    CurlFtpClient *m_client = nullptr; // made and deleted on m_thread
    // What the session said of itself after the last call.
    bool m_connected = false;
    QString m_host, m_login, m_note;
    int m_port = 21;
};
