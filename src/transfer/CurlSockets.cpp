#include "CurlSockets.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

struct CurlSocketHooks {
    // The session's sockets are opened and closed here so that abort() can shut
    // them down from another thread without meeting a descriptor reused meanwhile.
    static curl_socket_t openSocket(void *data, curlsocktype, curl_sockaddr *address)
    {
        auto *sockets = static_cast<CurlSockets *>(data);
        const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd < 0)
            return CURL_SOCKET_BAD;
        const std::lock_guard<std::mutex> hold(sockets->m_lock);
        sockets->m_open.push_back(fd);
        if (sockets->m_abort)
            ::shutdown(fd, SHUT_RDWR);
        return fd;
    }

    static int closeSocket(void *data, curl_socket_t fd)
    {
        auto *sockets = static_cast<CurlSockets *>(data);
        const std::lock_guard<std::mutex> hold(sockets->m_lock);
        std::erase(sockets->m_open, fd);
        return ::close(fd);
    }

    // libcurl asks this between its own waits too: a non-zero answer ends the transfer.
    static int stopWhenAborted(void *data, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<CurlSockets *>(data)->m_abort ? 1 : 0;
    }
};

void CurlSockets::install(CURL *handle)
{
    curl_easy_setopt(handle, CURLOPT_OPENSOCKETFUNCTION, CurlSocketHooks::openSocket);
    curl_easy_setopt(handle, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, CurlSocketHooks::closeSocket);
    curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CurlSocketHooks::stopWhenAborted);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
}

void CurlSockets::abort()
{
    m_abort = true;
    // libcurl waits for some replies inside one call (the reply after a
    // file's data, a QUIT): a socket shut down under it ends that wait now.
    const std::lock_guard<std::mutex> hold(m_lock);
    for (const int fd : m_open)
        ::shutdown(fd, SHUT_RDWR);
}

bool CurlSockets::controlConnectionClosed(CURL *handle)
{
    if (!handle)
        return true;
    curl_socket_t fd = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &fd) != CURLE_OK || fd == CURL_SOCKET_BAD)
        return true;
    char byte = 0;
    const ssize_t got = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}
