#include "StagingDirectory.h"

#include "base/WrenError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool StagingDirectory::isPrivateDirectory(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

StagingDirectory StagingDirectory::createPrivate(const QString &baseDir)
{
    if (!QDir().mkpath(baseDir))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(baseDir));
    removeAbandoned(baseDir);
    QByteArray pattern = QFile::encodeName(QDir(baseDir).filePath(QStringLiteral("wrentmp-XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw WrenError(QStringLiteral("Cannot create a staging directory in %1: %2").arg(baseDir, systemError()));
    const QString path = QFile::decodeName(pattern);
    // The owner's mark: a later start removes the folder once this process is gone.
    QFile mark(QDir(path).filePath(QLatin1String(kOwnerFile)));
    if (mark.open(QIODevice::WriteOnly))
        mark.write(ownerMark(::getpid()));
    return StagingDirectory(path);
}

QByteArray StagingDirectory::ownerMark(qint64 pid)
{
    // The process ID with the process's start time, so that a reused ID is
    // not taken for the owner.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QByteArray start;
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 19)
            start = fields[19]; // field 22 of the line: the start time
    }
    return QByteArray::number(pid) + ' ' + start + '\n';
}

int StagingDirectory::removeAbandoned(const QString &baseDir)
{
    int removed = 0;
    const QFileInfoList folders =
        QDir(baseDir).entryInfoList({QStringLiteral("wrentmp-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &folder : folders) {
        const QString path = folder.absoluteFilePath();
        if (!isPrivateDirectory(path))
            continue;
        QFile mark(QDir(path).filePath(QLatin1String(kOwnerFile)));
        if (!mark.open(QIODevice::ReadOnly))
            continue; // no owner's mark: not known to be ours
        const QByteArray stored = mark.readAll();
        mark.close();
        const qint64 pid = stored.split(' ').value(0).toLongLong();
        if (pid <= 0 || ownerMark(pid) == stored)
            continue; // its process still runs
        StagingDirectory abandoned(path);
        abandoned.remove();
        if (!QFileInfo::exists(path))
            ++removed;
    }
    return removed;
}

namespace {

// Removes everything under the directory open as fd, never following a link.
void removeContents(int fd)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0)
                removeContents(sub);
            ::unlinkat(::dirfd(dir), name, AT_REMOVEDIR);
        } else {
            ::unlinkat(::dirfd(dir), name, 0);
        }
    }
    ::closedir(dir);
}

} // namespace

void StagingDirectory::remove()
{
    if (!isValid())
        return;
    if (isPrivateDirectory(m_path)) {
        const QByteArray native = QFile::encodeName(m_path);
        const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            removeContents(fd);
        ::rmdir(native.constData());
    }
    m_path.clear();
}
