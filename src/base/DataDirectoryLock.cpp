#include "DataDirectoryLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

DataDirectoryLock::DataDirectoryLock(const QString &dataDir)
    : m_path(QDir(dataDir).filePath(QStringLiteral("wren.lock"))), m_lock(std::make_unique<QLockFile>(m_path))
{
    m_lock->setStaleLockTime(0); // only a dead owner's lock is stale, however old
    // A lock is a plain file; a link, a pipe or an empty folder in its place
    // names no process and goes (a link as a link, its target untouched).
    const QByteArray native = QFile::encodeName(m_path);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        S_ISDIR(st.st_mode) ? ::rmdir(native.constData()) : ::unlink(native.constData());
    m_held = m_lock->tryLock(0);
    // A lock file that names no process at all (garbage, or cut short) is
    // stale too, unless it is new enough to be one another program is
    // still writing; Qt would hold it for live as long as it exists.
    qint64 pid = 0;
    QString host, application;
    if (!m_held && m_lock->error() == QLockFile::LockFailedError && !m_lock->getLockInfo(&pid, &host, &application) &&
        QFileInfo(m_path).lastModified().msecsTo(QDateTime::currentDateTime()) > 2000 && m_lock->removeStaleLockFile())
        m_held = m_lock->tryLock(0);
}

QString DataDirectoryLock::reason() const
{
    if (m_held)
        return QString();
    if (QFileInfo(m_path).isDir() && !QFileInfo(m_path).isSymLink())
        return QStringLiteral("The lock file %1 is a folder: remove it to use the data directory").arg(m_path);
    if (m_lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        m_lock->getLockInfo(&pid, &host, &application);
        return QStringLiteral("Another Wren program (process %1) is using the data directory %2")
            .arg(pid)
            .arg(QFileInfo(m_path).absolutePath());
    }
    return QStringLiteral("Cannot create the lock file %1").arg(m_path);
}

QString DataDirectoryLock::holder() const
{
    qint64 pid = 0;
    QString host, application;
    if (m_held || !m_lock->getLockInfo(&pid, &host, &application))
        return QString();
    return application;
}
