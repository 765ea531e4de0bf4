#include "CurlFtpClient.h"

#include "transfer/KnownHosts.h"
#include "transfer/SshKeyFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <QUrl>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace {

// The session's sockets are opened and closed here so that abort() can shut
// them down from another thread without meeting a descriptor reused meanwhile.
curl_socket_t openSocket(void *data, curlsocktype, curl_sockaddr *address)
{
    auto *sockets = static_cast<CurlFtpClient::Sockets *>(data);
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd < 0)
        return CURL_SOCKET_BAD;
    const std::lock_guard<std::mutex> hold(sockets->lock);
    sockets->open.push_back(fd);
    if (*sockets->abort)
        ::shutdown(fd, SHUT_RDWR);
    return fd;
}

int closeSocket(void *data, curl_socket_t fd)
{
    auto *sockets = static_cast<CurlFtpClient::Sockets *>(data);
    const std::lock_guard<std::mutex> hold(sockets->lock);
    std::erase(sockets->open, fd);
    return ::close(fd);
}

// libcurl asks this between its own waits too: a non-zero answer ends the transfer.
int stopWhenAborted(void *data, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return *static_cast<CurlFtpClient::Sockets *>(data)->abort ? 1 : 0;
}

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Each reply line of the server arrives here; the last complete one is kept.
size_t onReply(char *data, size_t size, size_t count, void *user)
{
    auto *lastReply = static_cast<QString *>(user);
    const size_t bytes = size * count;
    QByteArray line(data, static_cast<qsizetype>(bytes));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
        std::isdigit(static_cast<unsigned char>(line[1])) && std::isdigit(static_cast<unsigned char>(line[2])))
        *lastReply = QString::fromUtf8(line);
    return bytes;
}

// Commands sent to the server, for the trace. The password never shows.
// Names go to the server in UTF-8, and are shown so. libcurl's own notes
// are kept while asked: an SSH login says there why a key file failed.
int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *sink = static_cast<CurlFtpClient::DebugSink *>(user);
    if (type == CURLINFO_TEXT && sink->keepNotes)
        sink->notes.append(data, static_cast<qsizetype>(size));
    // SFTP operations are traced by the session in words of its own.
    if (type != CURLINFO_HEADER_OUT || !sink->trace || sink->sftp)
        return 0;
    QByteArray line(data, static_cast<qsizetype>(size));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("PASS "))
        line = "PASS ****";
    sink->trace(QString::fromUtf8(line));
    return 0;
}

// A modest send buffer keeps a file's last bytes from waiting in the kernel:
// libcurl waits for the server's final reply to a store without returning to
// the caller, so the less is left in flight then, the shorter that wait.
int onSocket(void *, curl_socket_t socket, curlsocktype)
{
    const int bytes = 128 * 1024;
    ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    return CURL_SOCKOPT_OK;
}

size_t onRead(char *buffer, size_t size, size_t count, void *user)
{
    auto *file = static_cast<QIODevice *>(user);
    const qint64 got = file->read(buffer, static_cast<qint64>(size * count));
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

// What a download brings (a directory listing) is kept.
size_t onWrite(char *data, size_t size, size_t count, void *user)
{
    static_cast<QByteArray *>(user)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

bool isReplyText(const QString &reply)
{
    return reply.size() >= 3 && (reply[0] == u'4' || reply[0] == u'5');
}

bool isAddress(const QString &host)
{
    unsigned char buffer[16];
    const QByteArray text = host.toLatin1();
    return ::inet_pton(AF_INET, text.constData(), buffer) == 1 || ::inet_pton(AF_INET6, text.constData(), buffer) == 1;
}

// A SOCKS refusal in the proxy's own terms, after libcurl's text that ends in
// the bare reply code.
QString withProxyWords(const QString &text)
{
    static const QRegularExpression code(QStringLiteral("SOCKS([45]).*\\((\\d+)\\)\\.?$"));
    const QRegularExpressionMatch m = code.match(text);
    if (!m.hasMatch())
        return text;
    const int reply = m.captured(2).toInt();
    const char *words = nullptr;
    if (m.captured(1) == u'5') {
        static const char *const socks5[] = {nullptr,
                                             "general failure of the proxy",
                                             "connection not allowed by ruleset",
                                             "network unreachable",
                                             "host unreachable",
                                             "connection refused",
                                             "TTL expired",
                                             "command not supported",
                                             "address type not supported"};
        if (reply >= 1 && reply <= 8)
            words = socks5[reply];
    } else if (reply == 91) {
        words = "request rejected or failed";
    } else if (reply == 92) {
        words = "request rejected: the proxy cannot reach the client's identd";
    } else if (reply == 93) {
        words = "request rejected: the user ID was refused";
    }
    return words ? text + QStringLiteral(": the proxy answered ") + QLatin1String(words) : text;
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

CurlFtpClient::CurlFtpClient()
{
    initCurlOnce();
    m_sockets.abort = &m_abort;
}

void CurlFtpClient::abort()
{
    m_abort = true;
    // libcurl waits for some replies inside one call (the reply after a
    // file's data, a QUIT): a socket shut down under it ends that wait now.
    const std::lock_guard<std::mutex> hold(m_sockets.lock);
    for (const int fd : m_sockets.open)
        ::shutdown(fd, SHUT_RDWR);
}

CurlFtpClient::~CurlFtpClient()
{
    disconnect();
}

void CurlFtpClient::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_connectSeconds = connectSeconds;
    m_stallSeconds = stallSeconds;
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
    if (m_debug.trace)
        m_debug.trace(QStringLiteral("sftp ") + operation);
}

void CurlFtpClient::setKeyPassphrase(const QString &keyFile, const QString &passphrase)
{
    m_passphrases.insert(keyFile, passphrase);
}

void CurlFtpClient::resetHandle()
{
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_easy)
        curl_easy_cleanup(m_easy);
    curl_slist_free_all(m_resolve);
    m_resolve = nullptr;
    m_multi = nullptr;
    m_easy = nullptr;
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

void CurlFtpClient::applyCommon(bool passive)
{
    CURL *h = m_easy;
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onReply);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &m_lastReply);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &m_download);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &m_debug);
    curl_easy_setopt(h, CURLOPT_VERBOSE, m_debug.trace || m_debug.keepNotes ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, onSocket);
    // Files are stored by their plain name in the directory the session is in.
    curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_connectSeconds));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(m_stallSeconds));
    curl_easy_setopt(h, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(m_stallSeconds) * 1000L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_stallSeconds));
    // PASV and PORT, which every server knows; a connection keeps the choice
    // it was made with, so both are set from the start.
    curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 0L);
    curl_easy_setopt(h, CURLOPT_FTP_USE_EPRT, 0L);
    if (passive) {
        curl_easy_setopt(h, CURLOPT_FTPPORT, nullptr);
    } else {
        // Listen on the address of the control connection and announce it with PORT.
        curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
    }
}

void CurlFtpClient::applySecurity()
{
    CURL *h = m_easy;
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
    if (proxyResolves || isAddress(m_address.host))
        return;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(m_address.host.toUtf8().constData(), nullptr, &hints, &found);
    if (status != 0 || !found) {
        if (found)
            ::freeaddrinfo(found);
        resetHandle();
        throw FtpFailure(status == EAI_NODATA ? QStringLiteral("Valid name, no data record of requested type")
                                              : QStringLiteral("Host not found"));
    }
    QStringList addresses;
    for (addrinfo *a = found; a; a = a->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void *raw = a->ai_family == AF_INET6
                              ? static_cast<const void *>(&reinterpret_cast<sockaddr_in6 *>(a->ai_addr)->sin6_addr)
                              : static_cast<const void *>(&reinterpret_cast<sockaddr_in *>(a->ai_addr)->sin_addr);
        if (::inet_ntop(a->ai_family, raw, text, sizeof text)) {
            const QString address = QString::fromLatin1(text);
            const QString entry = a->ai_family == AF_INET6 ? u'[' + address + u']' : address;
            if (!addresses.contains(entry))
                addresses << entry;
        }
    }
    ::freeaddrinfo(found);
    const int port = m_address.port > 0 ? m_address.port : SiteAddress::defaultPort(m_address.kind);
    const QByteArray line = QStringLiteral("%1:%2:%3").arg(m_address.host).arg(port).arg(addresses.join(u',')).toUtf8();
    m_resolve = curl_slist_append(nullptr, line.constData());
    curl_easy_setopt(m_easy, CURLOPT_RESOLVE, m_resolve);
}

int CurlFtpClient::perform()
{
    m_lastReply.clear();
    m_download.clear();
    m_errorText[0] = '\0';
    curl_multi_add_handle(m_multi, m_easy);
    int running = 1;
    bool aborted = false;
    while (running) {
        if (m_abort) {
            aborted = true;
            break;
        }
        if (curl_multi_perform(m_multi, &running) != CURLM_OK)
            break;
        if (!running)
            break;
        curl_multi_poll(m_multi, nullptr, 0, 50, nullptr);
        if (m_idle)
            m_idle();
    }
    CURLcode result = aborted ? CURLE_ABORTED_BY_CALLBACK : CURLE_OK;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy && !aborted)
            result = message->data.result;
    }
    // A transfer cut short by abort() fails however its sockets ended.
    if (m_abort)
        result = CURLE_ABORTED_BY_CALLBACK;
    curl_multi_remove_handle(m_multi, m_easy);
    return result;
}

QString CurlFtpClient::describe(int code, long osErrno, const QString &lastReply, const QString &errorText,
                                bool connecting)
{
    const QString whole =
        errorText.isEmpty() ? QString::fromLatin1(curl_easy_strerror(static_cast<CURLcode>(code))) : errorText;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("Host not found");
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ECONNREFUSED)
            return QStringLiteral("Connection refused");
        if (osErrno == ETIMEDOUT)
            return QStringLiteral("Timed out");
        return withProxyWords(whole);
    case CURLE_OPERATION_TIMEDOUT:
        // libcurl reports a "421" of the server as a time-out: the server's
        // own words say more.
        if (isReplyText(lastReply))
            return lastReply;
        return connecting ? QStringLiteral("Connect timed out.") : QStringLiteral("Timed out");
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("Stopped by the user");
    case CURLE_PROXY:
        return withProxyWords(whole);
    default:
        return isReplyText(lastReply) ? lastReply : whole;
    }
}

void CurlFtpClient::fail(int code)
{
    long osErrno = 0;
    if (m_easy)
        curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &osErrno);
    const bool connecting = m_connecting;
    m_connecting = false;
    if (m_check.refused()) {
        const HostKeyFailure failure = m_check.failure();
        resetHandle();
        throw failure;
    }
    QString message = describe(code, osErrno, m_lastReply, QString::fromLocal8Bit(m_errorText), connecting);
    // A server gone in the middle of a transfer makes libcurl report whatever
    // its next step tripped over ("inet_ntop() failed ..."): say what happened.
    if (!connecting && code != CURLE_OPERATION_TIMEDOUT && code != CURLE_ABORTED_BY_CALLBACK &&
        !isReplyText(m_lastReply) && controlConnectionClosed())
        message = QStringLiteral("The connection to the server was lost; the session is closed");
    // A refused command leaves the control connection as it was; anything
    // else may have broken it, and a later step must not reconnect silently
    // into the login directory.
    const bool sessionIntact = code == CURLE_UPLOAD_FAILED || code == CURLE_QUOTE_ERROR ||
                               code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_READ_ERROR ||
                               code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_DISK_FULL ||
                               (code == CURLE_FTP_COULDNT_RETR_FILE && isReplyText(m_lastReply)) ||
                               (code == CURLE_PARTIAL_FILE && isReplyText(m_lastReply));
    if (connecting || !sessionIntact)
        resetHandle();
    throw FtpFailure(message, connecting && code == CURLE_LOGIN_DENIED ? FtpFailure::Kind::LoginRefused
                                                                       : FtpFailure::Kind::Step);
}

bool CurlFtpClient::controlConnectionClosed() const
{
    if (!m_easy)
        return true;
    curl_socket_t fd = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(m_easy, CURLINFO_ACTIVESOCKET, &fd) != CURLE_OK || fd == CURL_SOCKET_BAD)
        return true;
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

void CurlFtpClient::checkSameConnection()
{
    long port = 0;
    curl_easy_getinfo(m_easy, CURLINFO_LOCAL_PORT, &port);
    if (port != m_controlPort) {
        resetHandle();
        throw FtpFailure(QStringLiteral("The connection to the server was lost; the session is closed"));
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
            if (withPassphrase && wrong.isEmpty() && m_debug.notes.contains("passphrase")) {
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
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) {
        resetHandle();
        throw FtpFailure(QStringLiteral("Out of memory"));
    }
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETDATA, &m_sockets);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETDATA, &m_sockets);
    curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, stopWhenAborted);
    curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, &m_sockets);
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
        curl_easy_setopt(m_easy, CURLOPT_PROXY, m_proxy.constData());
        if (m_firewall.authentication) {
            m_proxyUser = m_firewall.user.toUtf8();
            m_proxyPass = m_firewall.password.toUtf8();
            curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, m_proxyUser.constData());
            curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, m_proxyPass.constData());
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
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    curl_easy_setopt(m_easy, CURLOPT_USERNAME, m_user.constData());
    curl_easy_setopt(m_easy, CURLOPT_PASSWORD, m_pass.constData());
    applySecurity();
    applyCommon(m_firewall.passive || m_viaProxy || m_address.isTls());

    curl_slist *commands = nullptr;
    if (m_address.kind == SiteKind::Sftp) {
        if (!m_password.isEmpty()) {
            curl_easy_setopt(m_easy, CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
        } else if (keyFile.isEmpty()) {
            curl_easy_setopt(m_easy, CURLOPT_SSH_AUTH_TYPES, static_cast<long>(CURLSSH_AUTH_AGENT));
        } else {
            m_keyFile = QFile::encodeName(keyFile);
            curl_easy_setopt(m_easy, CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_AGENT | CURLSSH_AUTH_PUBLICKEY));
            curl_easy_setopt(m_easy, CURLOPT_SSH_PRIVATE_KEYFILE, m_keyFile.constData());
            curl_easy_setopt(m_easy, CURLOPT_SSH_PUBLIC_KEYFILE, "");
            m_keyPass = m_passphrases.value(keyFile).toUtf8();
            curl_easy_setopt(m_easy, CURLOPT_KEYPASSWD, m_keyPass.isEmpty() ? nullptr : m_keyPass.constData());
        }
        traceSftp(QStringLiteral("pwd"));
        // The login directory, as the server names it.
        commands = curl_slist_append(nullptr, "pwd");
    }
    // An FTP login asks nothing more: libcurl sets the binary type itself
    // before the first file (it does not know of a TYPE sent for it), and the
    // system's name is of no use, so both would be round trips for nothing.
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, commands);
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    m_connecting = true;
    m_debug.sftp = m_address.kind == SiteKind::Sftp;
    m_debug.notes.clear();
    m_debug.keepNotes = !keyFile.isEmpty();
    curl_easy_setopt(m_easy, CURLOPT_VERBOSE, m_debug.trace || m_debug.keepNotes ? 1L : 0L);
    const int result = perform();
    m_debug.keepNotes = false;
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(commands);
    if (result != CURLE_OK)
        fail(result);
    m_connecting = false;
    if (m_address.kind == SiteKind::Sftp) {
        const qsizetype first = m_lastReply.indexOf(u'"');
        const qsizetype second = first < 0 ? -1 : m_lastReply.indexOf(u'"', first + 1);
        m_sftpDir = second < 0 ? QStringLiteral("/") : m_lastReply.mid(first + 1, second - first - 1);
    } else {
        // libcurl asked the login directory with its own PWD.
        const char *entry = nullptr;
        curl_easy_getinfo(m_easy, CURLINFO_FTP_ENTRY_PATH, &entry);
        m_ftpDir = entry ? QString::fromUtf8(entry) : QString();
    }
    curl_easy_getinfo(m_easy, CURLINFO_LOCAL_PORT, &m_controlPort);
    m_connected = true;
}

long CurlFtpClient::command(const QStringList &texts)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    curl_slist *commands = nullptr;
    for (const QString &text : texts) {
        if (holdsLineBreak(text)) {
            curl_slist_free_all(commands);
            throw FtpFailure(QStringLiteral("A command may not hold a line break: ") + text.simplified());
        }
        // FTP replies are judged here, so libcurl keeps the session on an
        // error reply; SFTP commands report their own failure.
        const QByteArray line = m_address.kind == SiteKind::Sftp ? text.toUtf8() : "*" + text.toUtf8();
        if (m_address.kind == SiteKind::Sftp) {
            const QString bare = text.startsWith(u'*') ? text.mid(1) : text;
            traceSftp(bare.startsWith(QLatin1String("rm ")) ? QStringLiteral("remove ") + bare.mid(3) : bare);
        }
        commands = curl_slist_append(commands, line.constData());
    }
    applyCommon(m_firewall.passive || m_viaProxy || m_address.isTls());
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, commands);
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(commands);
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
    long code = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &code);
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
        throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to PWD") : m_lastReply);
    const qsizetype first = m_lastReply.indexOf(u'"');
    const qsizetype second = first < 0 ? -1 : m_lastReply.indexOf(u'"', first + 1);
    if (second < 0)
        return QString();
    m_ftpDir = m_lastReply.mid(first + 1, second - first - 1);
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
            throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to CWD") : m_lastReply);
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
    applyCommon(false);
    traceSftp(QStringLiteral("list ") + quoted(target));
    const QByteArray url = urlFor(target == u'/' ? target : target + u'/');
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(m_easy, CURLOPT_DIRLISTONLY, 1L);
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
    m_sftpDir = target;
}

void CurlFtpClient::upload(QIODevice &file, qint64 size, const QString &name)
{
    applyCommon(m_firewall.passive || m_viaProxy || m_address.isTls());
    if (m_address.kind == SiteKind::Sftp)
        traceSftp(QStringLiteral("store ") + quoted(sftpPath(name)));
    const QByteArray url =
        m_address.kind == SiteKind::Sftp ? urlFor(sftpPath(name)) : m_url + QUrl::toPercentEncoding(name);
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_easy, CURLOPT_APPEND, 0L);
    curl_easy_setopt(m_easy, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(m_easy, CURLOPT_READDATA, &file);
    curl_easy_setopt(m_easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(m_easy, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
}

qint64 CurlFtpClient::remoteSize(const QString &name)
{
    if (m_address.kind != SiteKind::Sftp) {
        const long code = command({QStringLiteral("SIZE ") + name});
        if (code != 213)
            throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to SIZE") : m_lastReply);
        return m_lastReply.mid(4).trimmed().toLongLong();
    }
    applyCommon(false);
    traceSftp(QStringLiteral("stat ") + quoted(sftpPath(name)));
    const QByteArray url = urlFor(sftpPath(name));
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(m_easy, CURLOPT_FILETIME, 1L);
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_FILETIME, 0L);
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
    curl_off_t size = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    return size;
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
                throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to RNTO") : m_lastReply);
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
        throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to DELE") : m_lastReply);
}

QString CurlFtpClient::knownDirectory() const
{
    return m_address.kind == SiteKind::Sftp ? m_sftpDir : m_ftpDir;
}

int CurlFtpClient::download(const QByteArray &url, const char *request)
{
    applyCommon(m_firewall.passive || m_viaProxy || m_address.isTls());
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, request);
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    return result;
}

std::optional<QHash<QString, qint64>> CurlFtpClient::listSizes()
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (m_address.kind == SiteKind::Sftp) {
        traceSftp(QStringLiteral("list ") + quoted(m_sftpDir));
        const int result = download(urlFor(m_sftpDir == u'/' ? m_sftpDir : m_sftpDir + u'/'), nullptr);
        if (result != CURLE_OK)
            fail(result);
        checkSameConnection();
        return parseListing(m_download);
    }
    // The listing of the current directory: with no path libcurl sends the
    // command without an argument. A server without MLSD is asked for the
    // long form with the files whose names begin with a dot (the temporary
    // files of stores); its answer counts only when it shows the directory
    // itself, as "ls -a" does, else the plain form is asked.
    int result = CURLE_OK;
    for (const char *request : {"MLSD", "LIST -a", "LIST"}) {
        result = download(m_url, request);
        const bool listsAll = qstrcmp(request, "LIST -a") != 0 || showsItself(m_download);
        if (result == CURLE_OK && listsAll)
            break;
        if (result != CURLE_OK) {
            try {
                fail(result);
            } catch (const FtpFailure &) {
                if (!m_connected || qstrcmp(request, "LIST") == 0)
                    throw;
            }
        }
    }
    checkSameConnection();
    return parseListing(m_download);
}

bool CurlFtpClient::showsItself(const QByteArray &listing)
{
    for (QByteArray line : listing.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('d') && line.endsWith(" ."))
            return true;
    }
    return false;
}

QHash<QString, qint64> CurlFtpClient::parseListing(const QByteArray &listing)
{
    QHash<QString, qint64> sizes;
    for (QByteArray line : listing.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QString text = QString::fromUtf8(line);
        if (line.contains(';') && text.contains(QLatin1String("type="), Qt::CaseInsensitive)) {
            // MLSD: facts separated by ";", a blank, the name.
            const qsizetype blank = text.indexOf(QLatin1String("; "));
            if (blank < 0)
                continue;
            qint64 size = -1;
            bool isFile = false;
            for (const QString &fact : text.left(blank).split(u';')) {
                const QString key = fact.section(u'=', 0, 0).toLower();
                const QString value = fact.section(u'=', 1);
                if (key == u"type")
                    isFile = value.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
                else if (key == u"size")
                    size = value.toLongLong();
            }
            if (isFile && size >= 0)
                sizes.insert(text.mid(blank + 2), size);
            continue;
        }
        // The long form: mode, links, owner, group, size, three fields of
        // date, then the name, which may hold blanks.
        if (!line.startsWith('-'))
            continue;
        static const QRegularExpression form(
            QStringLiteral("^\\S+\\s+\\d+\\s+\\S+\\s+\\S+\\s+(\\d+)\\s+\\S+\\s+\\S+\\s+\\S+\\s(.+)$"));
        const QRegularExpressionMatch m = form.match(text);
        if (m.hasMatch())
            sizes.insert(m.captured(2), m.captured(1).toLongLong());
    }
    return sizes;
}
