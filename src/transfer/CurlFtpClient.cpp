#include "CurlFtpClient.h"

#include "transfer/CurlErrorText.h"
#include "transfer/CurlRunner.h"
#include "transfer/CurlSockets.h"
#include "transfer/FtpListing.h"
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

CurlFtpClient::CurlFtpClient() : m_runner(m_sockets)
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
    const QString whole = u'.' + remoteName + QStringLiteral(".wren-part");
    if (whole.toUtf8().size() <= 255)
        return whole;
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(remoteName.toUtf8(), QCryptographicHash::Sha256).toHex().left(12));
    QString kept = remoteName;
    while ((u'.' + kept + u'~' + digest + QStringLiteral(".wren-part")).toUtf8().size() > 255)
        kept.chop(kept.size() > 1 && kept.at(kept.size() - 1).isLowSurrogate() ? 2 : 1);
    return u'.' + kept + u'~' + digest + QStringLiteral(".wren-part");
}

void CurlFtpClient::traceSftp(const QString &operation) const
{
    if (m_runner.debug().trace)
        m_runner.debug().trace(QStringLiteral("sftp ") + operation);
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
    m_ftpDir.clear();
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

QString CurlFtpClient::sftpPath(const QString &name) const
{
    return (m_sftpDir.endsWith(u'/') ? m_sftpDir : m_sftpDir + u'/') + name;
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
    // A server gone in the middle of a transfer makes libcurl report whatever
    // its next step tripped over ("inet_ntop() failed ..."): say what happened.
    if (!connecting && code != CURLE_OPERATION_TIMEDOUT && code != CURLE_ABORTED_BY_CALLBACK &&
        !CurlErrorText::isReplyText(m_runner.lastReply()) && CurlSockets::controlConnectionClosed(easy()))
        message = CurlErrorText::connectionLost();
    // A refused command leaves the control connection as it was; anything
    // else may have broken it, and a later step must not reconnect silently
    // into the login directory.
    const bool sessionIntact =
        code == CURLE_UPLOAD_FAILED || code == CURLE_QUOTE_ERROR || code == CURLE_REMOTE_ACCESS_DENIED ||
        code == CURLE_READ_ERROR || code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_DISK_FULL ||
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

    CurlRunner::Request login = request();
    if (m_address.kind == SiteKind::Sftp) {
        if (!m_password.isEmpty()) {
            curl_easy_setopt(easy(), CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
        } else if (keyFile.isEmpty()) {
            curl_easy_setopt(easy(), CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_AGENT));
        } else {
            m_keyFile = QFile::encodeName(keyFile);
            curl_easy_setopt(easy(), CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_AGENT | CURLSSH_AUTH_PUBLICKEY));
            curl_easy_setopt(easy(), CURLOPT_SSH_PRIVATE_KEYFILE, m_keyFile.constData());
            curl_easy_setopt(easy(), CURLOPT_SSH_PUBLIC_KEYFILE, "");
            m_keyPass = m_passphrases.value(keyFile).toUtf8();
            curl_easy_setopt(easy(), CURLOPT_KEYPASSWD, m_keyPass.isEmpty() ? nullptr : m_keyPass.constData());
        }
        traceSftp(QStringLiteral("pwd"));
        // The login directory, as the server names it.
        login.commands << "pwd";
    }
    // An FTP login asks nothing more: libcurl sets the binary type itself
    // before the first file (it does not know of a TYPE sent for it), and the
    // system's name is of no use, so both would be round trips for nothing.
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
    if (m_address.kind == SiteKind::Sftp) {
        const qsizetype first = m_runner.lastReply().indexOf(u'"');
        const qsizetype second = first < 0 ? -1 : m_runner.lastReply().indexOf(u'"', first + 1);
        m_sftpDir = second < 0 ? QStringLiteral("/") : m_runner.lastReply().mid(first + 1, second - first - 1);
    } else {
        // libcurl asked the login directory with its own PWD.
        const char *entry = nullptr;
        curl_easy_getinfo(easy(), CURLINFO_FTP_ENTRY_PATH, &entry);
        m_ftpDir = entry ? QString::fromUtf8(entry) : QString();
    }
    curl_easy_getinfo(easy(), CURLINFO_LOCAL_PORT, &m_controlPort);
    m_connected = true;
}

long CurlFtpClient::command(const QStringList &texts)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    CurlRunner::Request commands = request();
    for (const QString &text : texts) {
        if (holdsLineBreak(text))
            throw FtpFailure(QStringLiteral("A command may not hold a line break: ") + text.simplified());
        // FTP replies are judged here, so libcurl keeps the session on an
        // error reply; SFTP commands report their own failure.
        const QByteArray line = m_address.kind == SiteKind::Sftp ? text.toUtf8() : "*" + text.toUtf8();
        if (m_address.kind == SiteKind::Sftp) {
            const QString bare = text.startsWith(u'*') ? text.mid(1) : text;
            traceSftp(bare.startsWith(QLatin1String("rm ")) ? QStringLiteral("remove ") + bare.mid(3) : bare);
        }
        commands.commands << line;
    }
    runChecked(commands);
    long code = 0;
    curl_easy_getinfo(easy(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

QString CurlFtpClient::printWorkingDirectory()
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (m_address.kind == SiteKind::Sftp)
        return m_sftpDir;
    // Only this session's own commands move it, so the server is asked only
    // when one of them left the directory unknown: a round trip less per file.
    if (!m_ftpDir.isEmpty())
        return m_ftpDir;
    const long code = command({QStringLiteral("PWD")});
    if (code >= 400 || code == 0)
        throw FtpFailure(refusal(QStringLiteral("PWD")));
    const qsizetype first = m_runner.lastReply().indexOf(u'"');
    const qsizetype second = first < 0 ? -1 : m_runner.lastReply().indexOf(u'"', first + 1);
    if (second < 0)
        return QString();
    m_ftpDir = m_runner.lastReply().mid(first + 1, second - first - 1);
    return m_ftpDir;
}

void CurlFtpClient::changeUp()
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (m_address.kind == SiteKind::Sftp) {
        m_sftpDir = parentOf(m_sftpDir);
        return;
    }
    m_ftpDir.clear();
    command({QStringLiteral("CDUP")}); // an error reply is no failure here
}

void CurlFtpClient::changeDirectory(const QString &directory)
{
    if (m_address.kind != SiteKind::Sftp) {
        m_ftpDir.clear();
        const long code = command({QStringLiteral("CWD ") + directory});
        if (code >= 400 || code == 0)
            throw FtpFailure(refusal(QStringLiteral("CWD")));
        // An absolute path is where the session now is; "." and ".." in it
        // or a link would be spelled otherwise by the server, so those ask.
        if (directory.startsWith(u'/') && !directory.contains(QStringLiteral("/.")))
            m_ftpDir = directory.size() > 1 && directory.endsWith(u'/') ? directory.chopped(1) : directory;
        return;
    }
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    // SFTP has no current directory: the session keeps one, after reading
    // the directory once to know it is there.
    QString target = directory.startsWith(u'/') ? directory : sftpPath(directory);
    while (target.size() > 1 && target.endsWith(u'/'))
        target.chop(1);
    traceSftp(QStringLiteral("list ") + quoted(target));
    CurlRunner::Request list = request();
    list.url = urlFor(target == u'/' ? target : target + u'/');
    list.body = true;
    list.namesOnly = true;
    runChecked(list);
    m_sftpDir = target;
}

void CurlFtpClient::upload(QIODevice &file, qint64 size, const QString &name)
{
    if (m_address.kind == SiteKind::Sftp)
        traceSftp(QStringLiteral("store ") + quoted(sftpPath(name)));
    CurlRunner::Request send = request();
    send.url = m_address.kind == SiteKind::Sftp ? urlFor(sftpPath(name)) : m_url + QUrl::toPercentEncoding(name);
    send.body = true;
    send.upload = &file;
    send.uploadSize = size;
    runChecked(send);
}

qint64 CurlFtpClient::remoteSize(const QString &name)
{
    if (m_address.kind == SiteKind::Sftp) {
        // The server answers each SFTP write with its outcome, and libcurl
        // counts only the bytes so answered: asking for the size again would
        // tell nothing new.
        curl_off_t acknowledged = -1;
        curl_easy_getinfo(easy(), CURLINFO_SIZE_UPLOAD_T, &acknowledged);
        return acknowledged;
    }
    // An FTP server's reply to the data tells only that the connection
    // ended, not how many bytes it kept.
    const long code = command({QStringLiteral("SIZE ") + name});
    if (code != 213)
        throw FtpFailure(refusal(QStringLiteral("SIZE")));
    return m_runner.lastReply().mid(4).trimmed().toLongLong();
}

void CurlFtpClient::removeQuietly(const QString &name)
{
    try {
        if (m_address.kind == SiteKind::Sftp)
            command({QStringLiteral("*rm ") + quoted(sftpPath(name))});
        else
            command({QStringLiteral("DELE ") + name});
    } catch (const FtpFailure &) {
        // The store's own failure is the one to report.
    }
}

void CurlFtpClient::store(const QString &localPath, const QString &remoteName)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpFailure(QStringLiteral("Cannot open file %1: %2").arg(localPath, file.errorString()));
    storeFrom(file, file.size(), remoteName);
}

void CurlFtpClient::storeBytes(const QByteArray &bytes, const QString &remoteName)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
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
        const qint64 there = remoteSize(temporary);
        if (there != size)
            throw FtpFailure(QStringLiteral("The server holds %1 of the %2 bytes sent of %3; the old file stays")
                                 .arg(there)
                                 .arg(size)
                                 .arg(remoteName));
        if (m_address.kind == SiteKind::Sftp) {
            // OpenSSH renames only onto a free name: a new file takes one
            // step, one that replaces another the old file's removal first.
            const QString rename =
                QStringLiteral("rename ") + quoted(sftpPath(temporary)) + u' ' + quoted(sftpPath(remoteName));
            try {
                command({rename});
            } catch (const FtpFailure &) {
                if (!m_connected)
                    throw;
                command({QStringLiteral("*rm ") + quoted(sftpPath(remoteName)), rename});
            }
        } else {
            long code = command({QStringLiteral("RNFR ") + temporary});
            if (code < 400 && code != 0)
                code = command({QStringLiteral("RNTO ") + remoteName});
            if (code >= 400 || code == 0)
                throw FtpFailure(refusal(QStringLiteral("RNTO")));
        }
    } catch (const FtpFailure &) {
        if (m_connected)
            removeQuietly(temporary);
        throw;
    }
}

void CurlFtpClient::removeFile(const QString &name)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (name.isEmpty() || holdsLineBreak(name) || name.contains(u'/'))
        throw FtpFailure(QStringLiteral("Invalid file name on the server: ") + name.simplified());
    if (m_address.kind == SiteKind::Sftp) {
        command({QStringLiteral("rm ") + quoted(sftpPath(name))});
        return;
    }
    const long code = command({QStringLiteral("DELE ") + name});
    if (code >= 400 || code == 0)
        throw FtpFailure(refusal(QStringLiteral("DELE")));
}

QString CurlFtpClient::refusal(const QString &command) const
{
    return m_runner.lastReply().isEmpty() ? QStringLiteral("No reply to ") + command : m_runner.lastReply();
}

QString CurlFtpClient::knownDirectory() const
{
    return m_address.kind == SiteKind::Sftp ? m_sftpDir : m_ftpDir;
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
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (m_address.kind == SiteKind::Sftp) {
        traceSftp(QStringLiteral("list ") + quoted(m_sftpDir));
        CurlRunner::Request list = request();
        list.url = urlFor(m_sftpDir == u'/' ? m_sftpDir : m_sftpDir + u'/');
        list.body = true;
        runChecked(list);
        return FtpListing::parse(m_runner.received());
    }
    // The listing of the current directory: with no path libcurl sends the
    // command without an argument. A server without MLSD is asked for the
    // long form with the files whose names begin with a dot (the temporary
    // files of stores); its answer counts only when it shows the directory
    // itself, as "ls -a" does, else the plain form is asked.
    int result = CURLE_OK;
    for (const char *listing : {"MLSD", "LIST -a", "LIST"}) {
        result = download(m_url, listing);
        const bool listsAll = qstrcmp(listing, "LIST -a") != 0 || FtpListing::showsItself(m_runner.received());
        if (result == CURLE_OK && listsAll)
            break;
        if (result != CURLE_OK) {
            try {
                fail(result);
            } catch (const FtpFailure &) {
                if (!m_connected || qstrcmp(listing, "LIST") == 0)
                    throw;
            }
        }
    }
    checkSameConnection();
    return FtpListing::parse(m_runner.received());
}
