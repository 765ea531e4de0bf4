#include "PrivateFiles.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateFiles::PrivateFiles(QStringList paths) : m_paths(std::move(paths))
{
    for (const QString &path : m_paths)
        m_existed << QFile::exists(path);
}

PrivateFiles PrivateFiles::of(const QString &dataDir, const QString &settingsPath)
{
    return PrivateFiles({QDir(dataDir).filePath(QStringLiteral("Sites.DAT")), settingsPath});
}

QStringList PrivateFiles::secure() const
{
    QStringList lines;
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QByteArray path = QFile::encodeName(m_paths[i]);
        if (!m_existed[i]) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0)
                ::close(fd);
            ::chmod(path.constData(), 0600);
            continue;
        }
        struct stat st {};
        if (::stat(path.constData(), &st) == 0 && (st.st_mode & 0077) != 0)
            lines << QStringLiteral("The file %1 holds passwords and can be read by other users of this machine "
                                    "(chmod 600 makes it private)")
                         .arg(m_paths[i]);
    }
    return lines;
}

QStringList PrivateFiles::stateFiles(const QString &dataDir, const QString &settingsPath)
{
    const QDir dir(dataDir);
    return {dir.filePath(QStringLiteral("Wren.hosts")), dir.filePath(QStringLiteral("Transfer.DAT")),
            dir.filePath(QStringLiteral("Recovery.json")), settingsPath};
}

QString PrivateFiles::replaceLink(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
        return {};
    if (!S_ISLNK(st.st_mode)) {
        // A pipe, a socket or a device would hang or feed every read of it.
        AtomicFile::write(path, QByteArray(), AtomicFile::Durability::Sync, AtomicFile::Access::Private);
        return QStringLiteral("The file %1 was a pipe or device, not a file: Wren put an empty file of its own in "
                              "its place")
            .arg(path);
    }
    const QString target = QFile::symLinkTarget(path);
    // What the link shows is read, when it is a plain file of modest size,
    // and never opened for writing; a FIFO or a device is not even read.
    const QByteArray bytes = AtomicFile::readRegular(path, AtomicFile::Links::Follow, qint64{64} * 1024 * 1024);
    AtomicFile::write(path, bytes, AtomicFile::Durability::Sync, AtomicFile::Access::Private);
    return QStringLiteral("The file %1 was a link to %2: Wren put a file of its own in its place, and left %2 as it "
                          "was")
        .arg(path, target);
}

QStringList PrivateFiles::replaceLinks(const QStringList &paths)
{
    QStringList lines;
    for (const QString &path : paths) {
        try {
            if (const QString line = replaceLink(path); !line.isEmpty())
                lines << line;
        } catch (const WrenError &error) {
            lines << error.message();
        }
    }
    return lines;
}
