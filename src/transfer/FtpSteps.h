#pragma once

#include "transfer/SiteSteps.h"

class CurlFtpClient;

// The steps of an FTP session (plain or over TLS): commands on the control
// connection, whose replies are judged here, and a listing by MLSD or LIST.
// The current directory is the server's; the session remembers it only
// where its own commands leave it known.
class FtpSteps : public SiteSteps {
public:
    explicit FtpSteps(CurlFtpClient &session) : m_session(session) {}

    void prepareLogin(CurlRunner::Request &login, const QString &keyFile) override;
    void loggedIn() override;
    void forget() override { m_dir.clear(); }
    QByteArray commandLine(const QString &text) override;
    QString workingDirectory() override;
    QString knownDirectory() const override { return m_dir; }
    void changeUp() override;
    void changeDirectory(const QString &directory) override;
    QByteArray storeUrl(const QString &name) override;
    qint64 size(const QString &name) override;
    void rename(const QString &temporary, const QString &name) override;
    void remove(const QString &name, bool quietly) override;
    QHash<QString, qint64> list() override;

private:
    CurlFtpClient &m_session;
    QString m_dir; // once known; empty when it must be asked
};
