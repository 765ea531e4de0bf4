#include "BackgroundCopy.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"

namespace {
// Copies queued before the thread is woken.
constexpr size_t kWakeAfter = 8;
} // namespace

BackgroundCopy::~BackgroundCopy()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_work.notify_all();
    m_thread.join();
}

BackgroundCopy::Outcome BackgroundCopy::copy(const QString &path, const QByteArray &bytes)
{
    try {
        // A published page can be made again: no sync before the rename.
        AtomicFile::writeUnlessSame(path, bytes, AtomicFile::Durability::Replace);
        return {};
    } catch (const WrenError &error) {
        return {false, error.message()};
    } catch (const std::exception &error) {
        return {false, QString::fromLocal8Bit(error.what())};
    }
}

void BackgroundCopy::add(const QString &path, const QByteArray &bytes)
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({path, bytes, std::nullopt});
        m_bytesInHand += bytes.size();
        wake = m_jobs.size() - m_started >= kWakeAfter;
    }
    if (wake)
        m_work.notify_one();
}

std::optional<BackgroundCopy::Outcome> BackgroundCopy::takeOldest(bool wait)
{
    std::unique_lock lock(m_mutex);
    if (m_jobs.empty())
        return std::nullopt;
    if (!m_jobs.front().outcome) {
        if (!wait)
            return std::nullopt;
        lock.unlock();
        m_work.notify_one(); // it may be waiting for more copies
        lock.lock();
        m_done.wait(lock, [this] { return m_jobs.front().outcome.has_value(); });
    }
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    --m_started;
    m_bytesInHand -= job.bytes.size();
    lock.unlock();
    return std::move(job.outcome); // the bytes go here, on the owner's thread
}

void BackgroundCopy::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_quit || m_started < m_jobs.size(); });
        if (m_started == m_jobs.size())
            return; // quitting, and every copy given is done
        // Jobs stay where they are while others are added behind them: a
        // deque keeps its elements in place when it grows at either end.
        Job &job = m_jobs[m_started++];
        lock.unlock();
        Outcome outcome = copy(job.path, job.bytes);
        lock.lock();
        job.outcome = std::move(outcome);
        m_done.notify_all();
    }
}
