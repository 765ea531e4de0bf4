#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class EntryList;

// Keeps the recovery file of the entry being written up to date.
//
// The file is written about a second after the first unsaved change and then
// at least once a second for as long as changes keep coming (the timer is not
// restarted by later changes, so steady typing cannot hold the write back).
// flush() writes at once, for the moments when the window may not come back:
// hidden, out of focus, asked to end by the session. A failed write goes to
// the log sink and is tried again at the next change.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    RecoveryWriter(EntryList &entries, QString dataDir, std::function<void(const QString &)> log,
                   QObject *parent = nullptr);

    // The entry changed; the file follows within a second.
    void changed();
    // Writes now when a change is pending.
    void flush();
    // The change was stored or dropped: the file goes.
    void settled();

    static constexpr int kIntervalMs = 1000;

private:
    void write();

    EntryList &m_entries;
    QString m_dataDir;
    std::function<void(const QString &)> m_log;
    QTimer m_timer;
};
