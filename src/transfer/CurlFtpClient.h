#pragma once

#include "transfer/CurlRunner.h"
#include "transfer/CurlSockets.h"
#include "transfer/Firewall.h"
#include "transfer/FtpClient.h"
#include "transfer/FtpSteps.h"
#include "transfer/HostCheck.h"
#include "transfer/SftpSteps.h"
#include "transfer/SiteAddress.h"

#include <QString>

#include <functional>

using CURL = void;
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
    void setIdle(std::function<void()> idle) { m_runner.setIdle(std::move(idle)); }
    // The limits, in seconds, on connecting (greeting and login included) and on
    // a connection that makes no progress.
    void setTimeouts(int connectSeconds, int stallSeconds) { m_runner.setTimeouts(connectSeconds, stallSeconds); }
    // Every command the client sends, and every SFTP operation, for tests and
    // diagnostics; the password shows as "****".
    void setTrace(std::function<void(const QString &)> trace) { m_runner.debug().trace = std::move(trace); }
    // Set from any thread: the transfer in progress ends at once with
    // "Stopped by the user" and the session is closed, even where libcurl
    // itself waits on a reply (its sockets are shut down under it).
    void abort();
    void clearAbort() { m_sockets.clearAbort(); }

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

    // The name of the temporary file a store writes before the rename.
    static QString temporaryName(const QString &remoteName);

private:
    void resetHandle();
    friend class FtpSteps;
    friend class SftpSteps;

    void requireConnected() const;
    void applySecurity();
    void resolveFirst();
    void logIn(const QString &keyFile);
    CURL *easy() const { return m_runner.handle(); }
    // A request with the session's choice of data connection.
    CurlRunner::Request request() const;
    // Runs the request; a failure throws FtpFailure (fail()), and so does a
    // control connection that changed under it.
    void runChecked(const CurlRunner::Request &request);
    // The server's refusal of the command, or that it did not answer.
    QString refusal(const QString &command) const;
    // Sends commands on the open session; returns the last reply code.
    long command(const QStringList &commands);
    [[noreturn]] void fail(int code);
    void checkSameConnection();
    QByteArray urlFor(const QString &path) const;
    void upload(QIODevice &file, qint64 size, const QString &name);
    void storeFrom(QIODevice &file, qint64 size, const QString &remoteName);
    void removeQuietly(const QString &name);
    // Fetches a listing; returns the libcurl result.
    int download(const QByteArray &url, const char *listing);

    CurlSockets m_sockets; // and the stop switch
    CurlRunner m_runner;
    curl_slist *m_resolve = nullptr;
    FirewallSettings m_firewall;
    KnownHosts *m_knownHosts = nullptr;
    QHash<QString, QString> m_passphrases; // key file to passphrase, for this session's life only
    bool m_connected = false;
    bool m_connecting = false;
    bool m_viaProxy = false;
    QString m_host, m_login, m_password, m_note;
    SiteAddress m_address;
    HostCheck m_check;
    FtpSteps m_ftpSteps;
    SftpSteps m_sftpSteps;
    SiteSteps *m_steps = &m_ftpSteps; // those of the site logged in to
    int m_port = 21;
    long m_controlPort = 0;
    QByteArray m_url, m_proxy, m_user, m_pass, m_proxyUser, m_proxyPass;
};
