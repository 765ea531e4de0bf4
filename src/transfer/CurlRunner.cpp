#include "CurlRunner.h"

#include "transfer/CurlSockets.h"

#include <QIODevice>

#include <curl/curl.h>
#include <sys/socket.h>

#include <memory>

namespace {

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
    auto *sink = static_cast<CurlRunner::DebugSink *>(user);
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
    const size_t room = size * count;
    const qint64 got = file->read(buffer, static_cast<qint64>(room));
    return got < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(got);
}

// What a download brings (a directory listing) is kept.
size_t onWrite(char *data, size_t size, size_t count, void *user)
{
    const size_t bytes = size * count;
    static_cast<QByteArray *>(user)->append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

} // namespace

CurlRunner::CurlRunner(CurlSockets &sockets) : m_sockets(sockets) {}

CurlRunner::~CurlRunner()
{
    close();
}

bool CurlRunner::open()
{
    close();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) {
        close();
        return false;
    }
    m_sockets.install(m_easy);
    return true;
}

void CurlRunner::close()
{
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_easy)
        curl_easy_cleanup(m_easy);
    m_multi = nullptr;
    m_easy = nullptr;
}

void CurlRunner::setTimeouts(int connectSeconds, int stallSeconds)
{
    m_connectSeconds = connectSeconds;
    m_stallSeconds = stallSeconds;
}

void CurlRunner::setHome(const QByteArray &url)
{
    m_home = url;
    curl_easy_setopt(m_easy, CURLOPT_URL, m_home.constData());
}

QString CurlRunner::errorText() const
{
    return QString::fromLocal8Bit(m_errorText);
}

int CurlRunner::run(const Request &request)
{
    curl_slist *list = nullptr;
    for (const QByteArray &line : request.commands)
        list = curl_slist_append(list, line.constData());
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> held(list, curl_slist_free_all);
    applyCommon(request.passive);
    CURL *h = m_easy;
    curl_easy_setopt(h, CURLOPT_URL, request.url.isEmpty() ? m_home.constData() : request.url.constData());
    curl_easy_setopt(h, CURLOPT_NOBODY, request.body ? 0L : 1L);
    curl_easy_setopt(h, CURLOPT_QUOTE, list);
    curl_easy_setopt(h, CURLOPT_DIRLISTONLY, request.namesOnly ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_FILETIME, request.fileTime ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.listing);
    curl_easy_setopt(h, CURLOPT_UPLOAD, request.upload ? 1L : 0L);
    if (request.upload) {
        curl_easy_setopt(h, CURLOPT_APPEND, 0L);
        curl_easy_setopt(h, CURLOPT_READFUNCTION, onRead);
        curl_easy_setopt(h, CURLOPT_READDATA, request.upload);
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(request.uploadSize));
    }
    const int result = perform();
    // What set this request apart ends with it.
    curl_easy_setopt(h, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(h, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(h, CURLOPT_FILETIME, 0L);
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(h, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(h, CURLOPT_URL, m_home.constData());
    return result;
}

void CurlRunner::applyCommon(bool passive)
{
    CURL *h = m_easy;
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onReply);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &m_lastReply);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &m_received);
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

int CurlRunner::perform()
{
    m_lastReply.clear();
    m_received.clear();
    m_errorText[0] = '\0';
    curl_multi_add_handle(m_multi, m_easy);
    int running = 1;
    bool aborted = false;
    while (running) {
        if (m_sockets.aborted()) {
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
    if (m_sockets.aborted())
        result = CURLE_ABORTED_BY_CALLBACK;
    curl_multi_remove_handle(m_multi, m_easy);
    return result;
}
