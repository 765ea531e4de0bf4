#pragma once

#include <QDateTime>

// Where publishing takes "today" and "now" from: the system clock, or a fixed
// moment that tests pin.
class Clock {
public:
    static Clock system() { return Clock(); }
    static Clock fixed(const QDateTime &moment) { return Clock(moment); }

    QDateTime now() const { return m_fixed.isValid() ? m_fixed : QDateTime::currentDateTime(); }
    QDate today() const { return now().date(); }

private:
    Clock() = default;
    explicit Clock(const QDateTime &moment) : m_fixed(moment) {}
    QDateTime m_fixed;
};
