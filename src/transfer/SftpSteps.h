#pragma once

#include "transfer/SiteSteps.h"

class CurlFtpClient;

// The steps of an SFTP session. SFTP has no current directory: the session
// keeps one here and names every file by its whole path, quoted as libcurl's
// SFTP commands take it. Its operations are traced in words of its own
// ("sftp store /www/.index.html.wren-part"), as libcurl's trace does not
// show them.
class SftpSteps : public SiteSteps {
public:
    explicit SftpSteps(CurlFtpClient &session) : m_session(session) {}

    void prepareLogin(CurlRunner::Request &login, const QString &keyFile) override;
    void loggedIn() override;
    void forget() override {}
    QByteArray commandLine(const QString &text) override;
    QString workingDirectory() override { return m_dir; }
    QString knownDirectory() const override { return m_dir; }
    void changeUp() override;
    void changeDirectory(const QString &directory) override;
    QByteArray storeUrl(const QString &name) override;
    qint64 size(const QString &name) override;
    void rename(const QString &temporary, const QString &name) override;
    void remove(const QString &name, bool quietly) override;
    QHash<QString, qint64> list() override;

private:
    QString path(const QString &name) const;
    void trace(const QString &operation) const;

    CurlFtpClient &m_session;
    QString m_dir;                   // the current directory, kept here
    QByteArray m_keyFile, m_keyPass; // for libcurl, while the handle lives
};
