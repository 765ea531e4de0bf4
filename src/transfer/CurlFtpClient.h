#pragma once

#include "transfer/Firewall.h"
#include "transfer/FtpClient.h"

#include <QString>

#include <functional>

using CURL = void;
using CURLM = void;

// The FTP session over libcurl. One easy handle stays with the session so the
// control connection is reused from file to file; every network wait runs in
// slices through the multi interface, calling the idle hook between slices so
// a window can repaint and take clicks while a file is on its way.
class CurlFtpClient : public FtpClient {
public:
    CurlFtpClient();
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient &) = delete;
    CurlFtpClient &operator=(const CurlFtpClient &) = delete;

    // Passive mode counts from the next file, the proxy from the next connect.
    void setFirewall(const FirewallSettings &firewall) { m_firewall = firewall; }
    // Called every few dozen milliseconds while waiting on the network.
    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }
    // The limits, in seconds, on connecting (greeting and login included) and on
    // a connection that makes no progress.
    void setTimeouts(int connectSeconds, int stallSeconds);
    // Every command the client sends, for tests and diagnostics.
    void setTrace(std::function<void(const QString &)> trace) { m_trace = std::move(trace); }

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
    QString connectNote() const override { return m_note; }

    // The log text of a failed libcurl call: the server's reply for a refused
    // command, the network's reason for a failed connection.
    static QString describe(int code, long osErrno, const QString &lastReply, const QString &errorText, bool connecting,
                            const QString &host);

private:
    struct Reply;
    void resetHandle();
    void applyCommon(bool passive);
    // Runs the transfer set up on the handle; returns the libcurl result.
    int perform();
    // Sends one command on the open session; returns the reply code.
    long command(const QString &text);
    [[noreturn]] void fail(int code);
    void checkSameConnection();
    QString baseUrl() const;

    CURL *m_easy = nullptr;
    CURLM *m_multi = nullptr;
    FirewallSettings m_firewall;
    std::function<void()> m_idle;
    std::function<void(const QString &)> m_trace;
    int m_connectSeconds = 120;
    int m_stallSeconds = 120;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_viaProxy = false;
    QString m_host, m_login, m_password, m_note;
    int m_port = 21;
    long m_controlPort = 0;
    QByteArray m_url, m_proxy, m_user, m_pass, m_proxyUser, m_proxyPass;
    QString m_lastReply;
    QByteArray m_replyLine;
    char m_errorText[256] = {};
};
