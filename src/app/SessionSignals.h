#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP, which a desktop session sends when it ends, into
// a Qt signal delivered on the main thread (a handler may only write to a
// pipe; the event loop reads it). One instance per process.
class SessionSignals : public QObject {
    Q_OBJECT
public:
    explicit SessionSignals(QObject *parent = nullptr);
    ~SessionSignals() override;

Q_SIGNALS:
    void ending(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
