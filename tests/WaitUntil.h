#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// Waits until the condition holds, handling events meanwhile; false when it
// still does not after timeoutMs. Tests wait for what they need, never for a
// fixed time.
inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}
