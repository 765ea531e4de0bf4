#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

#include <stdexcept>

// A failed FTP step; message() is the text the log line reports.
class FtpFailure : public std::runtime_error {
public:
    // What went wrong: a step, or a login the server refused (trying the
    // same login again cannot help).
    enum class Kind { Step, LoginRefused };
    explicit FtpFailure(const QString &message, Kind kind = Kind::Step)
        : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
    {
    }
    const QString &message() const { return m_message; }
    Kind kind() const { return m_kind; }

private:
    QString m_message;
    Kind m_kind;
};

// A host whose key or certificate is not trusted: unknown (the user may trust
// it) or different from the one stored (always refused). A certificate says
// why it is not trusted; only one whose issuer is merely unknown (a
// self-signed one, or one of a private authority) is fit to be trusted
// without a second thought.
class HostKeyFailure : public FtpFailure {
public:
    HostKeyFailure(const QString &message, QString siteHost, int sitePort, QString siteKind, QString seen,
                   bool keyChanged)
        : FtpFailure(message), host(std::move(siteHost)), port(sitePort), kind(std::move(siteKind)),
          fingerprint(std::move(seen)), changed(keyChanged)
    {
    }
    QString host;
    int port;
    QString kind;
    QString fingerprint;
    bool changed;
    QString keyType;               // of an SSH key: "ED25519", "RSA", ...
    QStringList reasons;           // of a certificate: "it is self-signed", "it expired on 2020-02-01", ...
    bool onlyIssuerUnknown = true; // false for an expired certificate, one for other names, ...
};

// An SSH key file locked by a passphrase that nobody gave, or that was wrong.
class KeyPassphraseFailure : public FtpFailure {
public:
    KeyPassphraseFailure(const QString &message, QString file, bool wrongPassphrase)
        : FtpFailure(message, Kind::LoginRefused), keyFile(std::move(file)), wrong(wrongPassphrase)
    {
    }
    QString keyFile;
    bool wrong;
};

// The one FTP session of a publish or archive run. Every call either succeeds
// or throws FtpFailure.
class FtpClient {
public:
    virtual ~FtpClient() = default;

    virtual bool isConnected() const = 0;
    virtual QString host() const = 0;
    virtual QString login() const = 0;
    virtual int port() const = 0;
    // Connects and logs in; a failure leaves the session disconnected.
    virtual void connectTo(const QString &host, const QString &login, int port, const QString &password) = 0;
    // Closes the connection without a QUIT.
    virtual void disconnect() = 0;
    // The server's current directory (the text between the reply's quotes).
    virtual QString printWorkingDirectory() = 0;
    // CDUP; an error reply of the server is no failure, a broken connection is.
    virtual void changeUp() = 0;
    virtual void changeDirectory(const QString &directory) = 0;
    // Stores a local file in the current directory under the name: under a
    // temporary dot name first, renamed into place once its size on the
    // server is checked, so a failure leaves the old file of that name whole.
    virtual void store(const QString &localPath, const QString &remoteName) = 0;
    // The same for bytes held in memory.
    virtual void storeBytes(const QByteArray &bytes, const QString &remoteName) = 0;
    // Deletes a file of the current directory.
    virtual void removeFile(const QString &name) = 0;
    // The files of the current directory with their sizes (MLSD where the
    // server has it, else LIST; the SFTP listing); nothing when the server
    // gives no listing that can be read.
    virtual std::optional<QHash<QString, qint64>> listSizes() { return std::nullopt; }
    // A line for the log about how the session just opened works, or nothing.
    virtual QString connectNote() const { return {}; }
    // The passphrase of an SSH key file, kept in memory for the session's
    // life and used by the next logins without a password.
    virtual void setKeyPassphrase(const QString &keyFile, const QString &passphrase)
    {
        Q_UNUSED(keyFile);
        Q_UNUSED(passphrase);
    }
};
