#pragma once

#include "publish/PublishTypes.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Servers the transfer tests start on 127.0.0.1, each on free ports of its own
// and with a temporary directory, stopped by PID when the object goes.
int FreePort();
// A range of ports that are free now, for passive data connections.
std::pair<int, int> FreePortRange(int count);

class TestServer {
public:
    virtual ~TestServer();
    int port() const { return m_port; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_pid; }
    // Kills the server at once, as a crash would.
    void kill();
    // Sends a signal to every process the server started (its sessions).
    void signalSessions(int signal);
    // The processes the server started, its sessions included.
    QList<qint64> descendants() const;
    // Everything the server wrote so far.
    QByteArray output();

protected:
    // Starts the program in a process group of its own and waits until its
    // port accepts connections, or until it prints "ready" when asked to.
    bool launch(const QString &program, const QStringList &arguments, bool waitForReady = false);

    QTemporaryDir m_dir;
    QProcess m_process;
    // Kills the sessions the test stopped once the test process goes, even
    // in a crash (its input then ends): a stopped session cannot see its
    // client go. The listener itself ends with the test process.
    QProcess m_watchdog;
    int m_port = 0;
    qint64 m_pid = 0; // the listener, also its process group
    QByteArray m_output;
};

// vsftpd with anonymous uploads under "/www" (and "/www/log"); "/locked" is
// not writable. Its protocol log tells the commands it received.
class Vsftpd : public TestServer {
public:
    enum class Tls { None, Explicit, Implicit };
    // The certificate made at start: self-signed for 127.0.0.1; self-signed
    // and expired on 2020-02-01; self-signed for other.example and
    // www.other.example; for 127.0.0.1 by the private authority in caFile().
    enum class Certificate { SelfSigned, Expired, OtherNames, PrivateAuthority };
    // maxRate limits the bytes per second of each transfer (0: no limit).
    // With TLS, logins and data must be encrypted.
    bool start(int maxRate = 0, Tls tls = Tls::None, Certificate certificate = Certificate::SelfSigned);
    // The certificate's fingerprint as OpenSSL prints it, "SHA256:AB:CD:...".
    QString fingerprint() const { return m_fingerprint; }
    // The private authority's certificate ("Wren Test CA").
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QString root() const { return m_dir.filePath(QStringLiteral("root")); }
    QStringList commands();

private:
    QString m_fingerprint;
};

// OpenSSH's sshd with SFTP and one user, wrentest, who logs in with the
// password "secret" or with the key in clientHome()/.ssh. It runs in a mount
// namespace of its own that holds copies of the password files with that user,
// so the machine's files stay as they are.
class Sshd : public TestServer {
public:
    bool start();
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    QString clientHome() const { return m_dir.filePath(QStringLiteral("client")); }
    // The host key's fingerprint as ssh-keygen prints it, "SHA256:...".
    QString fingerprint() const { return m_fingerprint; }
    // Makes a new host key; the next start shows a changed key.
    bool replaceHostKey();
    // Gives the client's key in clientHome()/.ssh a passphrase.
    bool lockClientKey(const QString &passphrase);

private:
    QString m_fingerprint;
};

// pyftpdlib with two accounts: alice/apass (home <root>/alice) and bob/bpass.
class PyFtpd : public TestServer {
public:
    // mode: "" as a plain server, "full" refuses every store with a 452,
    // "quota" answers 552 after a file's data, "delay=MS" waits before every
    // reply, "hold=S" holds back the reply after a file's data, "limit=N"
    // turns away a connection beyond N from one address (421), "short" keeps
    // half of each file and answers that all went well; several modes go
    // together, separated by ",".
    bool start(const QString &mode = QString());
    QString home(const QString &user) const { return m_dir.filePath(user); }
    QStringList commands();
};

// microsocks: SOCKS 5, with a user and password when given.
class Microsocks : public TestServer {
public:
    bool start(const QString &user = QString(), const QString &password = QString());
};

// dante: SOCKS 4 and 5 without authentication.
class Dante : public TestServer {
public:
    bool start();
};

// Our own SOCKS 4/4A proxy; with a user ID it refuses all others.
class Socks4aProxy : public TestServer {
public:
    bool start(const QString &userId = QString());
    QStringList requests();
};

// A server that accepts connections and never answers.
class SilentServer : public TestServer {
public:
    bool start();
};

// A server that greets every connection with one line and closes it.
class GreetingServer : public TestServer {
public:
    bool start(const QString &greeting);
};

// A port whose connection attempts are never answered: its listen queue is
// full and the kernel drops every further request.
class FullQueueServer : public TestServer {
public:
    bool start();
};

// Helpers the transfer tests share.
namespace TransferTestSupport {

// An FTP upload row for the given site and directory.
UploadRow ftpSite(const QString &host, int port, const QString &directory, const QString &login,
                  const QString &password);
// A file's bytes, or "<missing>" when it cannot be read.
QByteArray readFile(const QString &path);

} // namespace TransferTestSupport
