#include "CurlFtpClient.h"

#include "transfer/CurlErrorText.h"
#include "transfer/CurlRunner.h"
#include "transfer/CurlSockets.h"
#include "transfer/KnownHosts.h"
#include "transfer/NameLookup.h"
#include "transfer/SshKeyFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

} // namespace

CurlFtpClient::CurlFtpClient() : m_runner(m_sockets), m_ftpSteps(*this), m_sftpSteps(*this)
{
    initCurlOnce();
}

void CurlFtpClient::abort()
{
    m_sockets.abort();
}

CurlFtpClient::~CurlFtpClient()
{
    disconnect();
}

QString CurlFtpClient::temporaryName(const QString &remoteName)
{
    // Servers and their file systems take names of up to 255 bytes: a long
    // name keeps as much as fits, and a digest of the whole so that two long
    // names with the same beginning never share a temporary file.
    QString whole = u'.' + remoteName + QStringLiteral(".wren-part");
    if (whole.toUtf8().size() <= 255)
        return whole;
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(remoteName.toUtf8(), QCryptographicHash::Sha256).toHex().left(12));
    QString kept = remoteName;
    while ((u'.' + kept + u'~' + digest + QStringLiteral(".wren-part")).toUtf8().size() > 255)
        kept.chop(kept.size() > 1 && kept.at(kept.size() - 1).isLowSurrogate() ? 2 : 1);
    return u'.' + kept + u'~' + digest + QStringLiteral(".wren-part");
}

void CurlFtpClient::setKeyPassphrase(const QString &keyFile, const QString &passphrase)
{
    m_passphrases.insert(keyFile, passphrase);
}

void CurlFtpClient::resetHandle()
{
    m_runner.close();
    curl_slist_free_all(m_resolve);
    m_resolve = nullptr;
    m_connected = false;
    m_ftpSteps.forget();
}

void CurlFtpClient::disconnect()
{
    resetHandle();
}

QByteArray CurlFtpClient::urlFor(const QString &path) const
{
    QUrl url;
    url.setScheme(m_address.kind == SiteKind::Sftp   ? QStringLiteral("sftp")
                  : m_address.kind == SiteKind::Ftps ? QStringLiteral("ftps")
                                                     : QStringLiteral("ftp"));
    url.setHost(m_address.host);
    if (m_address.port > 0)
        url.setPort(m_address.port);
    url.setPath(path);
    return url.toString(QUrl::FullyEncoded).toUtf8();
}

void CurlFtpClient::applySecurity()
{
    CURL *h = easy();
    m_check.begin(m_address.host, m_address.port, SiteAddress::kindName(m_address.kind), m_knownHosts);
    switch (m_address.kind) {
    case SiteKind::Ftp:
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        break;
    case SiteKind::Ftps:
    case SiteKind::Ftpes:
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp,ftps");
        curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        // Servers that want each data connection to resume the control
        // connection's TLS session (vsftpd's default) refuse now and then the
        // data connections of libcurl 7.88 under TLS 1.3, whose session
        // tickets arrive late ("522 SSL connection failed: session reuse
        // required"); TLS 1.2 resumes every time.
        curl_easy_setopt(h, CURLOPT_SSLVERSION,
                         static_cast<long>(CURL_SSLVERSION_TLSv1_2) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
        m_check.installTls(h);
        break;
    case SiteKind::Sftp:
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "sftp");
        m_check.installSsh(h);
        break;
    }
}

// The host name is looked up once, here, and libcurl is given the addresses:
// a failure is then named from this look-up. A proxy that resolves names
// itself (SOCKS 4A and 5) is left to do so.
void CurlFtpClient::resolveFirst()
{
    const bool proxyResolves = m_viaProxy && m_firewall.socks != FirewallSettings::Socks::Version4;
    if (proxyResolves)
        return;
    const int port = m_address.port > 0 ? m_address.port : SiteAddress::defaultPort(m_address.kind);
    QByteArray line;
    try {
        line = NameLookup::resolveLine(m_address.host, port);
    } catch (const FtpFailure &) {
        resetHandle();
        throw;
    }
    if (line.isEmpty())
        return;
    m_resolve = curl_slist_append(nullptr, line.constData());
    curl_easy_setopt(easy(), CURLOPT_RESOLVE, m_resolve);
}

void CurlFtpClient::fail(int code)
{
    long osErrno = 0;
    if (easy())
        curl_easy_getinfo(easy(), CURLINFO_OS_ERRNO, &osErrno);
    const bool connecting = m_connecting;
    m_connecting = false;
    if (m_check.refused()) {
        const HostKeyFailure failure = m_check.failure();
        resetHandle();
        throw failure;
    }
    QString message = CurlErrorText::describe(code, osErrno, m_runner.lastReply(), m_runner.errorText(), connecting);
    // The server's own answer to a step (no such file, no access, a full
    // disk) shows the session alive, also where SFTP gives no reply text.
    const bool answered = code == CURLE_QUOTE_ERROR || code == CURLE_REMOTE_ACCESS_DENIED ||
                          code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_DISK_FULL;
    // A server gone in the middle of a transfer makes libcurl report whatever
    // its next step tripped over ("inet_ntop() failed ..."): say what happened.
    if (!connecting && !answered && code != CURLE_OPERATION_TIMEDOUT && code != CURLE_ABORTED_BY_CALLBACK &&
        !CurlErrorText::isReplyText(m_runner.lastReply()) && CurlSockets::controlConnectionClosed(easy()))
        message = CurlErrorText::connectionLost();
    // A refused command leaves the control connection as it was; anything
    // else may have broken it, and a later step must not reconnect silently
    // into the login directory.
    const bool sessionIntact =
        answered || code == CURLE_UPLOAD_FAILED || code == CURLE_READ_ERROR ||
        (code == CURLE_FTP_COULDNT_RETR_FILE && CurlErrorText::isReplyText(m_runner.lastReply())) ||
        (code == CURLE_PARTIAL_FILE && CurlErrorText::isReplyText(m_runner.lastReply()));
    if (connecting || !sessionIntact)
        resetHandle();
    throw FtpFailure(message, connecting && code == CURLE_LOGIN_DENIED ? FtpFailure::Kind::LoginRefused
                                                                       : FtpFailure::Kind::Step);
}

void CurlFtpClient::checkSameConnection()
{
    long port = 0;
    curl_easy_getinfo(easy(), CURLINFO_LOCAL_PORT, &port);
    if (port != m_controlPort) {
        resetHandle();
        throw FtpFailure(CurlErrorText::connectionLost());
    }
}

void CurlFtpClient::connectTo(const QString &host, const QString &login, int port, const QString &password)
{
    resetHandle();
    m_host = host;
    m_login = login;
    m_password = password;
    m_port = port;
    m_note.clear();
    m_address = SiteAddress::parse(host, port);
    if (!m_address.problem.isEmpty())
        throw FtpFailure(m_address.problem);
    if (holdsLineBreak(host) || holdsLineBreak(login) || holdsLineBreak(password))
        throw FtpFailure(QStringLiteral("The site's host, login or password holds a line break"));

    if (m_address.kind != SiteKind::Sftp || !password.isEmpty()) {
        logIn(QString());
        return;
    }
    // An SFTP login without a password offers the user's agent, then each key
    // file; one locked by a passphrase nobody gave is not tried, and named
    // if nothing else works.
    QString locked, wrong;
    std::optional<FtpFailure> last;
    for (const QString &key : QStringList{QString()} + SshKeyFile::defaultKeys()) {
        const bool withPassphrase = !key.isEmpty() && SshKeyFile::needsPassphrase(key);
        if (withPassphrase && !m_passphrases.contains(key)) {
            if (locked.isEmpty())
                locked = key;
            continue;
        }
        try {
            logIn(key);
            return;
        } catch (const HostKeyFailure &) {
            throw;
        } catch (const FtpFailure &failure) {
            last = failure;
            if (withPassphrase && wrong.isEmpty() && m_runner.debug().notes.contains("passphrase")) {
                m_passphrases.remove(key); // asked again next time
                wrong = key;
            }
        }
    }
    if (!wrong.isEmpty())
        throw KeyPassphraseFailure(QStringLiteral("The passphrase given for the key %1 is wrong").arg(wrong), wrong,
                                   true);
    if (!locked.isEmpty())
        throw KeyPassphraseFailure(
            QStringLiteral("The key %1 needs its passphrase: add it to the SSH agent (ssh-add %1)").arg(locked), locked,
            false);
    throw *last;
}

void CurlFtpClient::logIn(const QString &keyFile)
{
    resetHandle();
    if (!m_runner.open()) {
        resetHandle();
        throw FtpFailure(QStringLiteral("Out of memory"));
    }
    m_viaProxy = m_firewall.socks != FirewallSettings::Socks::None;
    if (m_viaProxy) {
        const char *scheme = m_firewall.socks == FirewallSettings::Socks::Version4    ? "socks4"
                             : m_firewall.socks == FirewallSettings::Socks::Version4A ? "socks4a"
                                                                                      : "socks5h";
        QUrl proxy;
        proxy.setScheme(QString::fromLatin1(scheme));
        proxy.setHost(m_firewall.host);
        proxy.setPort(m_firewall.port);
        m_proxy = proxy.toString(QUrl::FullyEncoded).toUtf8();
        curl_easy_setopt(easy(), CURLOPT_PROXY, m_proxy.constData());
        if (m_firewall.authentication) {
            m_proxyUser = m_firewall.user.toUtf8();
            m_proxyPass = m_firewall.password.toUtf8();
            curl_easy_setopt(easy(), CURLOPT_PROXYUSERNAME, m_proxyUser.constData());
            curl_easy_setopt(easy(), CURLOPT_PROXYPASSWORD, m_proxyPass.constData());
        }
        if (!m_firewall.passive && m_address.kind != SiteKind::Sftp)
            m_note = QStringLiteral("Using passive transfers: active data connections cannot pass the SOCKS proxy");
    }
    // libcurl cannot announce an active data connection on a TLS control
    // connection (its PORT command fails before anything is sent).
    if (!m_viaProxy && !m_firewall.passive && m_address.isTls())
        m_note = QStringLiteral("Using passive transfers: active data connections are not available over TLS");
    resolveFirst();
    m_url = urlFor(QStringLiteral("/"));
    m_user = m_login.toUtf8();
    m_pass = m_password.toUtf8();
    m_runner.setHome(m_url);
    curl_easy_setopt(easy(), CURLOPT_USERNAME, m_user.constData());
    curl_easy_setopt(easy(), CURLOPT_PASSWORD, m_pass.constData());
    applySecurity();

    m_steps = m_address.kind == SiteKind::Sftp ? static_cast<SiteSteps *>(&m_sftpSteps) : &m_ftpSteps;
    CurlRunner::Request login = request();
    m_steps->prepareLogin(login, keyFile);
    m_connecting = true;
    CurlRunner::DebugSink &debug = m_runner.debug();
    debug.sftp = m_address.kind == SiteKind::Sftp;
    debug.notes.clear();
    debug.keepNotes = !keyFile.isEmpty();
    const int result = m_runner.run(login);
    debug.keepNotes = false;
    if (result != CURLE_OK)
        fail(result);
    m_connecting = false;
    m_steps->loggedIn();
    curl_easy_getinfo(easy(), CURLINFO_LOCAL_PORT, &m_controlPort);
    m_connected = true;
}

long CurlFtpClient::command(const QStringList &texts)
{
    requireConnected();
    CurlRunner::Request commands = request();
    for (const QString &text : texts) {
        if (holdsLineBreak(text))
            throw FtpFailure(QStringLiteral("A command may not hold a line break: ") + text.simplified());
        commands.commands << m_steps->commandLine(text);
    }
    runChecked(commands);
    long code = 0;
    curl_easy_getinfo(easy(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

void CurlFtpClient::requireConnected() const
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
}

QString CurlFtpClient::printWorkingDirectory()
{
    requireConnected();
    return m_steps->workingDirectory();
}

void CurlFtpClient::changeUp()
{
    requireConnected();
    m_steps->changeUp();
}

void CurlFtpClient::changeDirectory(const QString &directory)
{
    requireConnected();
    m_steps->changeDirectory(directory);
}

void CurlFtpClient::upload(QIODevice &file, qint64 size, const QString &name)
{
    CurlRunner::Request send = request();
    send.url = m_steps->storeUrl(name);
    send.body = true;
    send.upload = &file;
    send.uploadSize = size;
    runChecked(send);
}

void CurlFtpClient::removeQuietly(const QString &name)
{
    try {
        m_steps->remove(name, true);
    } catch (const FtpFailure &) {
        // The store's own failure is the one to report.
    }
}

void CurlFtpClient::store(const QString &localPath, const QString &remoteName)
{
    requireConnected();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpFailure(QStringLiteral("Cannot open file %1: %2").arg(localPath, file.errorString()));
    storeFrom(file, file.size(), remoteName);
}

void CurlFtpClient::storeBytes(const QByteArray &bytes, const QString &remoteName)
{
    requireConnected();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    storeFrom(buffer, bytes.size(), remoteName);
}

void CurlFtpClient::storeFrom(QIODevice &file, qint64 size, const QString &remoteName)
{
    if (remoteName.isEmpty() || holdsLineBreak(remoteName) || remoteName.contains(u'/'))
        throw FtpFailure(QStringLiteral("Invalid file name on the server: ") + remoteName.simplified());
    const QString temporary = temporaryName(remoteName);
    try {
        upload(file, size, temporary);
        const qint64 there = m_steps->size(temporary);
        if (there != size)
            throw FtpFailure(QStringLiteral("The server holds %1 of the %2 bytes sent of %3; the old file stays")
                                 .arg(there)
                                 .arg(size)
                                 .arg(remoteName));
        m_steps->rename(temporary, remoteName);
    } catch (const FtpFailure &) {
        if (m_connected)
            removeQuietly(temporary);
        throw;
    }
}

void CurlFtpClient::removeFile(const QString &name)
{
    requireConnected();
    if (name.isEmpty() || holdsLineBreak(name) || name.contains(u'/'))
        throw FtpFailure(QStringLiteral("Invalid file name on the server: ") + name.simplified());
    m_steps->remove(name, false);
}

QString CurlFtpClient::refusal(const QString &command) const
{
    return m_runner.lastReply().isEmpty() ? QStringLiteral("No reply to ") + command : m_runner.lastReply();
}

QString CurlFtpClient::knownDirectory() const
{
    return m_steps->knownDirectory();
}

CurlRunner::Request CurlFtpClient::request() const
{
    CurlRunner::Request request;
    request.passive = m_firewall.passive || m_viaProxy || m_address.isTls();
    return request;
}

void CurlFtpClient::runChecked(const CurlRunner::Request &request)
{
    const int result = m_runner.run(request);
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
}

int CurlFtpClient::download(const QByteArray &url, const char *listing)
{
    CurlRunner::Request fetch = request();
    fetch.url = url;
    fetch.body = true;
    fetch.listing = listing;
    return m_runner.run(fetch);
}

std::optional<QHash<QString, qint64>> CurlFtpClient::listSizes()
{
    requireConnected();
    return m_steps->list();
}
