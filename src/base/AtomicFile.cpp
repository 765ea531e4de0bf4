#include "AtomicFile.h"

#include "base/WrenError.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

[[noreturn]] void fail(const QString &path, int error)
{
    throw WrenError(
        QStringLiteral("Unable to write to %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

void write(const QString &path, const QByteArray &bytes, Durability durability)
{
    const QFileInfo target(path);
    const QByteArray nativeTarget = QFile::encodeName(target.absoluteFilePath());
    QByteArray temp =
        QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + kTemporaryMark);
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        fail(path, errno);

    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(nativeTarget.constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes.constData(), bytes.size()) ||
        (durability == Durability::Sync && ::fsync(fd) != 0))
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), nativeTarget.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        fail(path, error);
    }
}

int removeAbandonedTemporaries(const QString &dir)
{
    static const QRegularExpression ours(QStringLiteral("^\\..+\\.wrentmp-[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (!ours.match(entry.fileName()).hasMatch())
            continue;
        struct stat st {};
        const QByteArray native = QFile::encodeName(entry.absoluteFilePath());
        // Only plain files of this user; a link or somebody else's file stays.
        if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace AtomicFile
