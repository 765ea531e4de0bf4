#pragma once

#include "transfer/Firewall.h"
#include "transfer/FtpClient.h"
#include "transfer/HostCheck.h"
#include "transfer/SiteAddress.h"

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

using CURL = void;
using CURLM = void;
struct curl_slist;
class KnownHosts;
class QIODevice;

// The site session over libcurl, for plain FTP, FTP over TLS (implicit and
// explicit) and SFTP alike: the host field's scheme picks the kind. One easy
// handle stays with the session so the connection is reused from file to
// file; every network wait runs in slices through the multi interface,
// calling the idle hook between slices.
//
// TLS certificates are checked against the system's authorities; one that
// fails, and every SSH host key, must match its entry in the known hosts, else
// the connect throws HostKeyFailure with the fingerprint (HostCheck). Nothing
// turns the check off.
class CurlFtpClient : public FtpClient {
public:
    CurlFtpClient();
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient &) = delete;
    CurlFtpClient &operator=(const CurlFtpClient &) = delete;

    // Passive mode counts from the next file, the proxy from the next connect.
    void setFirewall(const FirewallSettings &firewall) { m_firewall = firewall; }
    // The trusted keys and certificates; without them no unverified TLS
    // certificate and no SSH host key is accepted.
    void setKnownHosts(KnownHosts *knownHosts) { m_knownHosts = knownHosts; }
    // Called every few dozen milliseconds while waiting on the network.
    void setIdle(std::function<void()> idle) { m_idle = std::move(idle); }
    // The limits, in seconds, on connecting (greeting and login included) and on
    // a connection that makes no progress.
    void setTimeouts(int connectSeconds, int stallSeconds);
    // Every command the client sends, and every SFTP operation, for tests and
    // diagnostics; the password shows as "****".
    void setTrace(std::function<void(const QString &)> trace) { m_debug.trace = std::move(trace); }
    // Set from any thread: the transfer in progress ends at once with
    // "Stopped by the user" and the session is closed, even where libcurl
    // itself waits on a reply (its sockets are shut down under it).
    void abort();
    void clearAbort() { m_abort = false; }

    // The sockets of the session, which abort() shuts down from another thread.
    struct Sockets {
        std::mutex lock;
        std::vector<int> open;
        std::atomic<bool> *abort = nullptr;
    };

    // What libcurl's own log tells: the commands sent, for the trace, and
    // its notes during an SSH login with a key file.
    struct DebugSink {
        std::function<void(const QString &)> trace;
        QByteArray notes;
        bool keepNotes = false;
        bool sftp = false; // the session's own trace tells SFTP operations
    };

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
    void storeBytes(const QByteArray &bytes, const QString &remoteName) override;
    void removeFile(const QString &name) override;
    // The current directory as far as the session knows it without asking
    // the server; empty when a PWD would have to tell.
    QString knownDirectory() const;
    QString connectNote() const override { return m_note; }
    void setKeyPassphrase(const QString &keyFile, const QString &passphrase) override;
    std::optional<QHash<QString, qint64>> listSizes() override;
    // The files and sizes in a listing: MLSD lines, or the long form of LIST.
    static QHash<QString, qint64> parseListing(const QByteArray &listing);
    // Whether a long listing shows the directory itself ("."), as one of
    // every name does.
    static bool showsItself(const QByteArray &listing);

    // The log text of a failed libcurl call: the server's reply for a refused
    // command, the network's reason for a failed connection, the proxy's
    // answer in words.
    static QString describe(int code, long osErrno, const QString &lastReply, const QString &errorText,
                            bool connecting);
    // The name of the temporary file a store writes before the rename.
    static QString temporaryName(const QString &remoteName);

private:
    void resetHandle();
    // An SFTP operation for the trace, as "sftp store /www/.index.html.wren-part".
    void traceSftp(const QString &operation) const;
    void applyCommon(bool passive);
    void applySecurity();
    void resolveFirst();
    void logIn(const QString &keyFile);
    // Runs the transfer set up on the handle; returns the libcurl result.
    int perform();
    // Sends commands on the open session; returns the last reply code.
    long command(const QStringList &commands);
    [[noreturn]] void fail(int code);
    void checkSameConnection();
    // Whether the server closed the control connection (or libcurl did).
    bool controlConnectionClosed() const;
    QByteArray urlFor(const QString &path) const;
    QString sftpPath(const QString &name) const;
    qint64 remoteSize(const QString &name);
    void upload(QIODevice &file, qint64 size, const QString &name);
    void storeFrom(QIODevice &file, qint64 size, const QString &remoteName);
    void removeQuietly(const QString &name);
    int download(const QByteArray &url, const char *request);

    CURL *m_easy = nullptr;
    CURLM *m_multi = nullptr;
    curl_slist *m_resolve = nullptr;
    FirewallSettings m_firewall;
    KnownHosts *m_knownHosts = nullptr;
    std::function<void()> m_idle;
    DebugSink m_debug;
    QHash<QString, QString> m_passphrases; // key file to passphrase, for this session's life only
    std::atomic<bool> m_abort = false;
    Sockets m_sockets;
    int m_connectSeconds = 120;
    int m_stallSeconds = 120;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_viaProxy = false;
    QString m_host, m_login, m_password, m_note;
    SiteAddress m_address;
    HostCheck m_check;
    QString m_sftpDir; // the current directory of an SFTP session, kept here
    QString m_ftpDir;  // that of an FTP session once known; empty when it must be asked
    int m_port = 21;
    long m_controlPort = 0;
    QByteArray m_url, m_proxy, m_user, m_pass, m_proxyUser, m_proxyPass, m_keyFile, m_keyPass;
    QString m_lastReply;
    QByteArray m_download;
    char m_errorText[256] = {};
};
