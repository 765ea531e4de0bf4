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
#include <optional>
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

// The longest name a directory entry may have on the file systems in use.
constexpr qsizetype kNameMax = 255;

// ".name.wrentmp-XXXXXX" beside the target, with as much of the name as fits.
QByteArray temporaryPath(const QFileInfo &target)
{
    QByteArray name = QFile::encodeName(target.fileName());
    const qsizetype room = kNameMax - 1 - QFile::encodeName(kTemporaryMark).size();
    if (name.size() > room) {
        name.truncate(room);
        while (!name.isEmpty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.chop(1); // never half a character
        if (!name.isEmpty() && static_cast<unsigned char>(name.back()) >= 0xC0)
            name.chop(1);
    }
    return QFile::encodeName(target.absolutePath()) + "/." + name + QFile::encodeName(kTemporaryMark);
}

// The target's status without following a link; nothing for a missing
// file. Only a regular file counts as the file being replaced: a link (to
// anything) is replaced as if nothing were there.
std::optional<struct stat> regularTarget(const QByteArray &nativeTarget)
{
    struct stat st {};
    if (::lstat(nativeTarget.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st;
}

void replace(const QString &path, const QByteArray &nativeTarget, const std::optional<struct stat> &existing,
             const QByteArray &bytes, Durability durability, Access access)
{
    QByteArray temp = temporaryPath(QFileInfo(path));
    // A new file gets the usual mode, less the umask. The file being
    // replaced keeps its permission bits, and its temporary never allows more
    // than they do, even before it holds anything: a private file's stays
    // private throughout.
    const mode_t fresh = access == Access::Private ? 0600 : 0666;
    const int fd = createTemporary(temp, existing ? existing->st_mode & 0777 : fresh);
    if (fd < 0)
        fail(path, errno);

    int error = 0;
    if ((existing && ::fchmod(fd, existing->st_mode & 0777) != 0) || !writeAll(fd, bytes.constData(), bytes.size()) ||
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

// True when the regular file of that status holds exactly these bytes. It
// is opened without following a link, in case one took its place meanwhile.
bool holds(const QByteArray &nativeTarget, const struct stat &st, const QByteArray &bytes)
{
    if (st.st_size != bytes.size())
        return false;
    const int fd = ::open(nativeTarget.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile existing;
    if (!existing.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return existing.readAll() == bytes;
}

} // namespace

QByteArray readRegular(const QString &path, Links links, qint64 limit)
{
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return {};
    QFile file;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    return file.readAll();
}

void write(const QString &path, const QByteArray &bytes, Durability durability, Access access)
{
    const QByteArray nativeTarget = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    replace(path, nativeTarget, regularTarget(nativeTarget), bytes, durability, access);
}

bool writeUnlessSame(const QString &path, const QByteArray &bytes, Durability durability, Access access)
{
    const QByteArray nativeTarget = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const std::optional<struct stat> existing = regularTarget(nativeTarget);
    if (existing && holds(nativeTarget, *existing, bytes))
        return false;
    replace(path, nativeTarget, existing, bytes, durability, access);
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
