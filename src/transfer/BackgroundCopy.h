#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

// Writes local copies on a thread of its own, in the order they were given,
// so that the next pages can be made while the last ones go to disk. Each
// copy replaces its target atomically and leaves a target that holds the same
// bytes alone. The outcomes are taken back in the same order.
//
// The thread is woken for a few copies at a time, not for each: on a virtual
// machine waking a sleeping thread costs about as much as writing a page.
class BackgroundCopy {
public:
    struct Outcome {
        bool ok = true;
        QString error; // why the copy failed
    };

    BackgroundCopy() = default;
    // Finishes the copies given and ends the thread.
    ~BackgroundCopy();
    BackgroundCopy(const BackgroundCopy &) = delete;
    BackgroundCopy &operator=(const BackgroundCopy &) = delete;

    // Queues a copy of the bytes to the path.
    void add(const QString &path, const QByteArray &bytes);
    // The copies given whose outcome has not been taken yet.
    size_t inHand() const { return m_jobs.size(); }
    // The bytes of those copies.
    qint64 bytesInHand() const { return m_bytesInHand; }
    // The outcome of the oldest copy in hand: nothing when it has not ended
    // yet, or, when wait is set, once it has.
    std::optional<Outcome> takeOldest(bool wait);

    // The copy itself, as the thread runs it.
    static Outcome copy(const QString &path, const QByteArray &bytes);

private:
    struct Job {
        QString path;
        QByteArray bytes;
        std::optional<Outcome> outcome;
    };
    void run();

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    // The copies in hand, oldest first; the thread fills in their outcomes.
    // The owner alone adds and removes them, so that their bytes are freed on
    // the thread that made them.
    std::deque<Job> m_jobs;
    size_t m_started = 0; // of m_jobs, the ones the thread has taken up
    qint64 m_bytesInHand = 0;
    bool m_quit = false;
};
