#include "FtpSteps.h"

#include "transfer/CurlFtpClient.h"
#include "transfer/FtpListing.h"

#include <QUrl>

#include <curl/curl.h>

void FtpSteps::prepareLogin(CurlRunner::Request &, const QString &)
{
    // An FTP login asks nothing more: libcurl sets the binary type itself
    // before the first file (it does not know of a TYPE sent for it), and the
    // system's name is of no use, so both would be round trips for nothing.
}

void FtpSteps::loggedIn()
{
    // libcurl asked the login directory with its own PWD.
    const char *entry = nullptr;
    curl_easy_getinfo(m_session.easy(), CURLINFO_FTP_ENTRY_PATH, &entry);
    m_dir = entry ? QString::fromUtf8(entry) : QString();
}

QByteArray FtpSteps::commandLine(const QString &text)
{
    // FTP replies are judged here, so libcurl keeps the session on an
    // error reply.
    return "*" + text.toUtf8();
}

QString FtpSteps::workingDirectory()
{
    // Only this session's own commands move it, so the server is asked only
    // when one of them left the directory unknown: a round trip less per file.
    if (!m_dir.isEmpty())
        return m_dir;
    const long code = m_session.command({QStringLiteral("PWD")});
    if (code >= 400 || code == 0)
        throw FtpFailure(m_session.refusal(QStringLiteral("PWD")));
    m_dir = quotedPathIn(m_session.m_runner.lastReply());
    return m_dir;
}

void FtpSteps::changeUp()
{
    m_dir.clear();
    m_session.command({QStringLiteral("CDUP")}); // an error reply is no failure here
}

void FtpSteps::changeDirectory(const QString &directory)
{
    m_dir.clear();
    const long code = m_session.command({QStringLiteral("CWD ") + directory});
    if (code >= 400 || code == 0)
        throw FtpFailure(m_session.refusal(QStringLiteral("CWD")));
    // An absolute path is where the session now is; "." and ".." in it
    // or a link would be spelled otherwise by the server, so those ask.
    if (directory.startsWith(u'/') && !directory.contains(QStringLiteral("/.")))
        m_dir = directory.size() > 1 && directory.endsWith(u'/') ? directory.chopped(1) : directory;
}

QByteArray FtpSteps::storeUrl(const QString &name)
{
    return m_session.m_url + QUrl::toPercentEncoding(name);
}

qint64 FtpSteps::size(const QString &name)
{
    // An FTP server's reply to the data tells only that the connection
    // ended, not how many bytes it kept.
    const long code = m_session.command({QStringLiteral("SIZE ") + name});
    if (code != 213)
        throw FtpFailure(m_session.refusal(QStringLiteral("SIZE")));
    return m_session.m_runner.lastReply().mid(4).trimmed().toLongLong();
}

void FtpSteps::rename(const QString &temporary, const QString &name)
{
    long code = m_session.command({QStringLiteral("RNFR ") + temporary});
    if (code < 400 && code != 0)
        code = m_session.command({QStringLiteral("RNTO ") + name});
    if (code >= 400 || code == 0)
        throw FtpFailure(m_session.refusal(QStringLiteral("RNTO")));
}

void FtpSteps::remove(const QString &name, bool quietly)
{
    const long code = m_session.command({QStringLiteral("DELE ") + name});
    if (!quietly && (code >= 400 || code == 0))
        throw FtpFailure(m_session.refusal(QStringLiteral("DELE")));
}

QHash<QString, qint64> FtpSteps::list()
{
    // The listing of the current directory: with no path libcurl sends the
    // command without an argument. A server without MLSD is asked for the
    // long form with the files whose names begin with a dot (the temporary
    // files of stores); its answer counts only when it shows the directory
    // itself, as "ls -a" does, else the plain form is asked.
    int result = CURLE_OK;
    for (const char *listing : {"MLSD", "LIST -a", "LIST"}) {
        result = m_session.download(m_session.m_url, listing);
        const bool listsAll =
            qstrcmp(listing, "LIST -a") != 0 || FtpListing::showsItself(m_session.m_runner.received());
        if (result == CURLE_OK && listsAll)
            break;
        if (result != CURLE_OK) {
            try {
                m_session.fail(result);
            } catch (const FtpFailure &) {
                if (!m_session.m_connected || qstrcmp(listing, "LIST") == 0)
                    throw;
            }
        }
    }
    m_session.checkSameConnection();
    return FtpListing::parse(m_session.m_runner.received());
}
