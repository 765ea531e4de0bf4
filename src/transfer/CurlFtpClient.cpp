#include "CurlFtpClient.h"

#include <QFile>
#include <QUrl>

#include <curl/curl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <mutex>

namespace {

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
        *lastReply = QString::fromLatin1(line);
    return bytes;
}

// Commands sent to the server, for the trace.
int onDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    if (type != CURLINFO_HEADER_OUT)
        return 0;
    auto *trace = static_cast<std::function<void(const QString &)> *>(user);
    if (*trace) {
        QByteArray line(data, static_cast<qsizetype>(size));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("PASS "))
            line = "PASS ****";
        (*trace)(QString::fromLatin1(line));
    }
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
    auto *file = static_cast<QFile *>(user);
    const qint64 got = file->read(buffer, static_cast<qint64>(size * count));
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

bool isReplyText(const QString &reply)
{
    return reply.size() >= 3 && (reply[0] == u'4' || reply[0] == u'5');
}

} // namespace

CurlFtpClient::CurlFtpClient()
{
    initCurlOnce();
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

void CurlFtpClient::resetHandle()
{
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_easy)
        curl_easy_cleanup(m_easy);
    m_multi = nullptr;
    m_easy = nullptr;
    m_connected = false;
}

void CurlFtpClient::disconnect()
{
    resetHandle();
}

QString CurlFtpClient::baseUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("ftp"));
    url.setHost(m_host);
    url.setPort(m_port);
    url.setPath(QStringLiteral("/"));
    return url.toString(QUrl::FullyEncoded);
}

void CurlFtpClient::applyCommon(bool passive)
{
    CURL *h = m_easy;
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onReply);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &m_lastReply);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, onDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, &m_trace);
    curl_easy_setopt(h, CURLOPT_VERBOSE, m_trace ? 1L : 0L);
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

int CurlFtpClient::perform()
{
    m_lastReply.clear();
    m_errorText[0] = '\0';
    curl_multi_add_handle(m_multi, m_easy);
    int running = 1;
    while (running) {
        if (curl_multi_perform(m_multi, &running) != CURLM_OK)
            break;
        if (!running)
            break;
        curl_multi_poll(m_multi, nullptr, 0, 50, nullptr);
        if (m_idle)
            m_idle();
    }
    CURLcode result = CURLE_OK;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
            result = message->data.result;
    }
    curl_multi_remove_handle(m_multi, m_easy);
    return result;
}

QString CurlFtpClient::describe(int code, long osErrno, const QString &lastReply, const QString &errorText,
                                bool connecting, const QString &host)
{
    const QString whole =
        errorText.isEmpty() ? QString::fromLatin1(curl_easy_strerror(static_cast<CURLcode>(code))) : errorText;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST: {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const int status = ::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
        if (found)
            ::freeaddrinfo(found);
#ifdef EAI_NODATA
        if (status == EAI_NODATA)
            return QStringLiteral("Valid name, no data record of requested type");
#endif
        Q_UNUSED(status);
        return QStringLiteral("Host not found");
    }
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ECONNREFUSED)
            return QStringLiteral("Connection refused");
        if (osErrno == ETIMEDOUT)
            return QStringLiteral("Timed out");
        return whole;
    case CURLE_OPERATION_TIMEDOUT:
        if (osErrno == ETIMEDOUT)
            return QStringLiteral("Timed out");
        return connecting ? QStringLiteral("Connect timed out.") : QStringLiteral("Timed out");
    case CURLE_LOGIN_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_QUOTE_ERROR:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_COULDNT_USE_REST:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return isReplyText(lastReply) ? lastReply : whole;
    default:
        return whole;
    }
}

void CurlFtpClient::fail(int code)
{
    long osErrno = 0;
    if (m_easy)
        curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &osErrno);
    const bool connecting = m_connecting;
    m_connecting = false;
    const QString message =
        describe(code, osErrno, m_lastReply, QString::fromLocal8Bit(m_errorText), connecting, m_host);
    // A refused command leaves the control connection as it was; anything
    // else may have broken it, and a later step must not reconnect silently
    // into the login directory.
    const bool sessionIntact = code == CURLE_UPLOAD_FAILED || code == CURLE_QUOTE_ERROR ||
                               code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_READ_ERROR ||
                               code == CURLE_ABORTED_BY_CALLBACK;
    if (connecting || !sessionIntact)
        resetHandle();
    throw FtpFailure(message);
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
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) {
        resetHandle();
        throw FtpFailure(QStringLiteral("Out of memory"));
    }
    if (holdsLineBreak(host) || holdsLineBreak(login) || holdsLineBreak(password)) {
        resetHandle();
        throw FtpFailure(QStringLiteral("The site's host, login or password holds a line break"));
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
        curl_easy_setopt(m_easy, CURLOPT_PROXY, m_proxy.constData());
        if (m_firewall.authentication) {
            m_proxyUser = m_firewall.user.toUtf8();
            m_proxyPass = m_firewall.password.toUtf8();
            curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, m_proxyUser.constData());
            curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, m_proxyPass.constData());
        }
        if (!m_firewall.passive)
            m_note = QStringLiteral("Using passive transfers: active data connections cannot pass the SOCKS proxy");
    }
    m_url = baseUrl().toUtf8();
    m_user = login.toUtf8();
    m_pass = password.toUtf8();
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    curl_easy_setopt(m_easy, CURLOPT_USERNAME, m_user.constData());
    curl_easy_setopt(m_easy, CURLOPT_PASSWORD, m_pass.constData());
    applyCommon(m_firewall.passive || m_viaProxy);

    // Log in, then binary type and the system question.
    curl_slist *commands = curl_slist_append(nullptr, "*TYPE I");
    commands = curl_slist_append(commands, "*SYST");
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, commands);
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
    m_connecting = true;
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(commands);
    if (result != CURLE_OK)
        fail(result);
    m_connecting = false;
    curl_easy_getinfo(m_easy, CURLINFO_LOCAL_PORT, &m_controlPort);
    m_connected = true;
}

long CurlFtpClient::command(const QString &text)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (holdsLineBreak(text))
        throw FtpFailure(QStringLiteral("A command may not hold a line break: ") + text.simplified());
    applyCommon(m_firewall.passive || m_viaProxy);
    const QByteArray line = "*" + text.toUtf8();
    curl_slist *commands = curl_slist_append(nullptr, line.constData());
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
    const long code = command(QStringLiteral("PWD"));
    if (code >= 400 || code == 0)
        throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to PWD") : m_lastReply);
    const qsizetype first = m_lastReply.indexOf(u'"');
    const qsizetype second = first < 0 ? -1 : m_lastReply.indexOf(u'"', first + 1);
    if (second < 0)
        return QString();
    return m_lastReply.mid(first + 1, second - first - 1);
}

void CurlFtpClient::changeUp()
{
    command(QStringLiteral("CDUP")); // an error reply is no failure here
}

void CurlFtpClient::changeDirectory(const QString &directory)
{
    const long code = command(QStringLiteral("CWD ") + directory);
    if (code >= 400 || code == 0)
        throw FtpFailure(m_lastReply.isEmpty() ? QStringLiteral("No reply to CWD") : m_lastReply);
}

void CurlFtpClient::store(const QString &localPath, const QString &remoteName)
{
    if (!m_connected)
        throw FtpFailure(QStringLiteral("Not connected."));
    if (remoteName.isEmpty() || holdsLineBreak(remoteName) || remoteName.contains(u'/'))
        throw FtpFailure(QStringLiteral("Invalid file name on the server: ") + remoteName.simplified());
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FtpFailure(QStringLiteral("Cannot open file %1: %2").arg(localPath, file.errorString()));

    applyCommon(m_firewall.passive || m_viaProxy);
    const QByteArray url = m_url + QUrl::toPercentEncoding(remoteName);
    curl_easy_setopt(m_easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(m_easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_easy, CURLOPT_APPEND, 0L);
    curl_easy_setopt(m_easy, CURLOPT_READFUNCTION, onRead);
    curl_easy_setopt(m_easy, CURLOPT_READDATA, &file);
    curl_easy_setopt(m_easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(file.size()));
    const int result = perform();
    curl_easy_setopt(m_easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(m_easy, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
    if (result != CURLE_OK)
        fail(result);
    checkSameConnection();
}
