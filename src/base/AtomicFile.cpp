#include "AtomicFile.h"

#include "base/WrenError.h"

#include <QFile>
#include <QFileInfo>

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
        QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
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

} // namespace AtomicFile
