#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Keeps two programs from working on one data directory at once: the window
// and the headless publisher both hold "wren.lock" in the data directory while
// they run. A lock left by a program that died is taken over, and so is a
// lock file that names no process (garbage, or a file cut short).
class DataDirectoryLock {
public:
    // Takes the lock; isHeld() tells whether that worked.
    explicit DataDirectoryLock(const QString &dataDir);

    bool isHeld() const { return m_held; }
    // Why the lock could not be taken, for a message.
    QString reason() const;
    // The application name of the program holding the lock, when known.
    QString holder() const;

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};
