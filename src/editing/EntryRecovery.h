#pragma once

#include <QDate>
#include <QTime>
#include <QString>

#include <optional>

// The text of the entry being written that is not stored yet, kept in a file of
// the data directory so that a crash loses at most the last second of typing.
// It is written shortly after typing stops and removed when the entry is
// stored or the change dropped; at the next start it offers the text back.
struct RecoveredEntry {
    qlonglong id = 0; // the entry's ID, 0 for an entry never stored
    int journal = 0;
    QDate day;
    QString title;
    QString entry;
    QTime begun; // for an entry never stored, the time it was begun at
};

namespace EntryRecovery {

QString path(const QString &dataDir);
// Replaces the recovery file atomically; throws WrenError when it cannot.
void write(const QString &dataDir, const RecoveredEntry &entry);
// The recovered text, or nothing when there is no readable recovery file.
std::optional<RecoveredEntry> read(const QString &dataDir);
void remove(const QString &dataDir);

} // namespace EntryRecovery
