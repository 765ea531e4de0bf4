#include "SftpSteps.h"

#include "transfer/CurlFtpClient.h"
#include "transfer/FtpListing.h"

#include <QFile>

#include <curl/curl.h>

namespace {

QString quoted(const QString &path)
{
    QString text = path;
    text.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
    return u'"' + text + u'"';
}

QString parentOf(const QString &directory)
{
    const qsizetype slash = directory.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : directory.left(slash);
}

} // namespace

QString SftpSteps::path(const QString &name) const
{
    return (m_dir.endsWith(u'/') ? m_dir : m_dir + u'/') + name;
}

void SftpSteps::trace(const QString &operation) const
{
    if (m_session.m_runner.debug().trace)
        m_session.m_runner.debug().trace(QStringLiteral("sftp ") + operation);
}

void SftpSteps::prepareLogin(CurlRunner::Request &login, const QString &keyFile)
{
    CURL *easy = m_session.easy();
    if (!m_session.m_password.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES,
                         static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    } else if (keyFile.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_AGENT));
    } else {
        m_keyFile = QFile::encodeName(keyFile);
        curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_AGENT | CURLSSH_AUTH_PUBLICKEY));
        curl_easy_setopt(easy, CURLOPT_SSH_PRIVATE_KEYFILE, m_keyFile.constData());
        curl_easy_setopt(easy, CURLOPT_SSH_PUBLIC_KEYFILE, "");
        m_keyPass = m_session.m_passphrases.value(keyFile).toUtf8();
        curl_easy_setopt(easy, CURLOPT_KEYPASSWD, m_keyPass.isEmpty() ? nullptr : m_keyPass.constData());
    }
    trace(QStringLiteral("pwd"));
    // The login directory, as the server names it.
    login.commands << "pwd";
}

void SftpSteps::loggedIn()
{
    const QString directory = quotedPathIn(m_session.m_runner.lastReply());
    m_dir = directory.isEmpty() ? QStringLiteral("/") : directory;
}

QByteArray SftpSteps::commandLine(const QString &text)
{
    // SFTP commands report their own failure.
    const QString bare = text.startsWith(u'*') ? text.mid(1) : text;
    trace(bare.startsWith(QLatin1String("rm ")) ? QStringLiteral("remove ") + bare.mid(3) : bare);
    return text.toUtf8();
}

void SftpSteps::changeUp()
{
    m_dir = parentOf(m_dir);
}

void SftpSteps::changeDirectory(const QString &directory)
{
    // SFTP has no current directory: the session keeps one, after reading
    // the directory once to know it is there.
    QString target = directory.startsWith(u'/') ? directory : path(directory);
    while (target.size() > 1 && target.endsWith(u'/'))
        target.chop(1);
    trace(QStringLiteral("list ") + quoted(target));
    CurlRunner::Request read = m_session.request();
    read.url = m_session.urlFor(target == u'/' ? target : target + u'/');
    read.body = true;
    read.namesOnly = true;
    m_session.runChecked(read);
    m_dir = target;
}

QByteArray SftpSteps::storeUrl(const QString &name)
{
    trace(QStringLiteral("store ") + quoted(path(name)));
    return m_session.urlFor(path(name));
}

qint64 SftpSteps::size(const QString &)
{
    // The server answers each SFTP write with its outcome, and libcurl
    // counts only the bytes so answered: asking for the size again would
    // tell nothing new.
    curl_off_t acknowledged = -1;
    curl_easy_getinfo(m_session.easy(), CURLINFO_SIZE_UPLOAD_T, &acknowledged);
    return acknowledged;
}

void SftpSteps::rename(const QString &temporary, const QString &name)
{
    // OpenSSH renames only onto a free name: a new file takes one
    // step, one that replaces another the old file's removal first.
    const QString move = QStringLiteral("rename ") + quoted(path(temporary)) + u' ' + quoted(path(name));
    try {
        m_session.command({move});
    } catch (const FtpFailure &) {
        if (!m_session.m_connected)
            throw;
        m_session.command({QStringLiteral("*rm ") + quoted(path(name)), move});
    }
}

void SftpSteps::remove(const QString &name, bool quietly)
{
    m_session.command({(quietly ? QStringLiteral("*rm ") : QStringLiteral("rm ")) + quoted(path(name))});
}

QHash<QString, qint64> SftpSteps::list()
{
    trace(QStringLiteral("list ") + quoted(m_dir));
    CurlRunner::Request listing = m_session.request();
    listing.url = m_session.urlFor(m_dir == u'/' ? m_dir : m_dir + u'/');
    listing.body = true;
    m_session.runChecked(listing);
    return FtpListing::parse(m_session.m_runner.received());
}
