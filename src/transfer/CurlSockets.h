#pragma once

#include <atomic>
#include <mutex>
#include <vector>

using CURL = void;

// The sockets of one session and its stop switch. libcurl opens and closes
// the session's sockets through the hooks put on its handle here, so that
// abort() can shut them down from another thread without meeting a
// descriptor reused meanwhile; libcurl also asks here between its own waits
// whether to stop.
class CurlSockets {
public:
    // Puts the hooks on the handle; this object outlives the handle.
    void install(CURL *handle);
    // Set from any thread: every open socket is shut down, and one opened
    // later is shut down at once, until clearAbort().
    void abort();
    void clearAbort() { m_abort = false; }
    bool aborted() const { return m_abort; }

    // Whether the server closed the control connection of the handle (or
    // libcurl did); true without a handle.
    static bool controlConnectionClosed(CURL *handle);

private:
    friend struct CurlSocketHooks; // libcurl's callbacks, in the source file

    std::mutex m_lock;
    std::vector<int> m_open;
    std::atomic<bool> m_abort = false;
};
