#include "AtomicFile.h"

#include "base/WrenError.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
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

// Creates the temporary file beside the target, named after it with six
// random letters and digits, with the mode given less the umask (applied by
// the system, so the process's umask is never changed: a copy on another
// thread would otherwise create files with a mask of 0).
int createTemporary(QByteArray &temp, mode_t mode)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    const qsizetype tail = temp.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (qsizetype i = 0; i < 6; ++i)
            temp[tail + i] = letters[random() % (sizeof letters - 1)];
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void replace(const QString &path, const QByteArray &nativeTarget, const struct stat *existing, const QByteArray &bytes,
             Durability durability)
{
    const QFileInfo target(path);
    QByteArray temp =
        QFile::encodeName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + kTemporaryMark);
    // A new file gets the usual mode. The file being replaced keeps its
    // permissions, and its temporary never allows more than they do, even
    // before it holds anything: a private file's stays private throughout.
    const int fd = createTemporary(temp, existing ? existing->st_mode & 0777 : 0666);
    if (fd < 0)
        fail(path, errno);

    int error = 0;
    if ((existing && ::fchmod(fd, existing->st_mode & 07777) != 0) || !writeAll(fd, bytes.constData(), bytes.size()) ||
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

// True when the regular file of that status holds exactly these bytes.
bool holds(const QByteArray &nativeTarget, const struct stat &st, const QByteArray &bytes)
{
    if (!S_ISREG(st.st_mode) || st.st_size != bytes.size())
        return false;
    QFile existing(QFile::decodeName(nativeTarget));
    return existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes;
}

} // namespace

void write(const QString &path, const QByteArray &bytes, Durability durability)
{
    const QByteArray nativeTarget = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    const bool exists = ::stat(nativeTarget.constData(), &st) == 0;
    replace(path, nativeTarget, exists ? &st : nullptr, bytes, durability);
}

bool writeUnlessSame(const QString &path, const QByteArray &bytes, Durability durability)
{
    const QByteArray nativeTarget = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    const bool exists = ::stat(nativeTarget.constData(), &st) == 0;
    if (exists && holds(nativeTarget, st, bytes))
        return false;
    replace(path, nativeTarget, exists ? &st : nullptr, bytes, durability);
    return true;
}

bool holds(const QString &path, const QByteArray &bytes)
{
    const QByteArray nativeTarget = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat st {};
    return ::stat(nativeTarget.constData(), &st) == 0 && holds(nativeTarget, st, bytes);
}

int removeAbandonedTemporaries(const QString &dir)
{
    static const QRegularExpression ours(QStringLiteral("^\\..+\\.wrentmp-[A-Za-z0-9]{6}$"));
    // The names are read without a status each: a site folder holds every
    // page of the journal, and only the few names that match are looked at.
    const QByteArray native = QFile::encodeName(dir);
    DIR *folder = ::opendir(native.constData());
    if (!folder)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.' || !std::strstr(entry->d_name, ".wrentmp-"))
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (!ours.match(name).hasMatch())
            continue;
        const QByteArray path = native + '/' + entry->d_name;
        struct stat st {};
        // Only plain files of this user; a link or somebody else's file stays.
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::unlink(path.constData()) == 0)
            ++removed;
    }
    ::closedir(folder);
    return removed;
}

} // namespace AtomicFile
