#include "Backup.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace Backup {

namespace {

const QString kSettingsCopy = QStringLiteral("wren.INI");

struct Connection {
    sqlite3 *db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

void openFile(Connection &c, const QString &path, int flags, const QString &name)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c.db, flags, nullptr) != SQLITE_OK)
        throw WrenError(name + QStringLiteral(": ") +
                        QString::fromUtf8(c.db ? sqlite3_errmsg(c.db) : "cannot be opened"));
}

// The number in a folder name: "2026-12-09" is 1, "2026-12-09-3" is 3.
struct Parsed {
    QDate date;
    int number = 0;
};

Parsed parse(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:-(\\d+))?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return {};
    return {QDate::fromString(m.captured(1), Qt::ISODate), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()};
}

int countEntries(const QString &file)
{
    if (!QFileInfo::exists(file))
        return -1;
    Connection c;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &c.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return -1;
    sqlite3_stmt *stmt = nullptr;
    int count = -1;
    if (sqlite3_prepare_v2(c.db, "SELECT COUNT(*) FROM Journal", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

// The status of a path itself, never of what a link there points to.
std::optional<struct stat> statusOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

bool isRealDirectory(const QString &path)
{
    const std::optional<struct stat> st = statusOf(path);
    return st && S_ISDIR(st->st_mode);
}

// The names a backup folder holds: the table files, the settings copy, and
// what SQLite may leave beside a table file.
bool isOwnFile(const QString &name)
{
    for (const Schema::Table &table : Schema::tables())
        if (name == table.file || name == table.file + QStringLiteral("-journal"))
            return true;
    return name == kSettingsCopy;
}

// Removes a backup folder only when it is a real directory holding nothing
// but Wren's own regular files (a link among them is removed as a link); a
// folder that holds anything else stays whole. True when it went.
bool removeBackupFolder(const QString &path)
{
    if (!isRealDirectory(path))
        return false;
    const QDir dir(path);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const std::optional<struct stat> st = statusOf(dir.filePath(name));
        if (!st || !isOwnFile(name) || !(S_ISREG(st->st_mode) || S_ISLNK(st->st_mode)))
            return false;
    }
    for (const QString &name : names)
        ::unlink(QFile::encodeName(dir.filePath(name)).constData());
    return ::rmdir(QFile::encodeName(path).constData()) == 0;
}

// A link in the backup folder under a backup's name, or that of a copy in
// the making, is removed as a link: nothing is ever written or deleted
// through it.
void removeLinks(const QString &root)
{
    static const QRegularExpression names(QStringLiteral("^(\\.?\\d{4}-\\d{2}-\\d{2}(-\\d+)?(\\.partial)?)$"));
    const QDir dir(root);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const std::optional<struct stat> st = statusOf(dir.filePath(name));
        if (st && S_ISLNK(st->st_mode) && names.match(name).hasMatch())
            ::unlink(QFile::encodeName(dir.filePath(name)).constData());
    }
}

void removeOld(const QString &root, int keep)
{
    const QList<Info> all = list(root);
    for (qsizetype i = keep; i < all.size(); ++i)
        removeBackupFolder(all[i].path);
}

// Copies the settings file into a new file of mode 0600: it holds the
// proxy password.
void copyPrivately(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw WrenError(QStringLiteral("%1 cannot be copied").arg(from));
    const QByteArray bytes = source.readAll();
    const int fd =
        ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    QFile target;
    if (fd < 0 || !target.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) ||
        target.write(bytes) != bytes.size() || !target.flush()) {
        if (fd >= 0 && !target.isOpen())
            ::close(fd);
        throw WrenError(QStringLiteral("%1 cannot be copied").arg(from));
    }
}

} // namespace

QString defaultRoot(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Backups"));
}

QList<Info> list(const QString &root)
{
    QList<Info> result;
    QList<Parsed> keys;
    const QDir dir(root);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const Parsed p = parse(name);
        if (!p.date.isValid() || !isRealDirectory(dir.filePath(name)))
            continue; // a link is no backup of ours
        Info info;
        info.path = dir.filePath(name);
        info.name = name;
        info.date = p.date;
        result.append(info);
        keys.append(p);
    }
    QList<qsizetype> order(result.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (keys[a].date != keys[b].date)
            return keys[a].date > keys[b].date;
        return keys[a].number > keys[b].number;
    });
    QList<Info> sorted;
    for (qsizetype i : order) {
        Info info = result[i];
        info.entries = countEntries(QDir(info.path).filePath(Schema::table(QStringLiteral("Journal")).file));
        sorted.append(info);
    }
    return sorted;
}

bool due(const QString &root, const QDate &today)
{
    const QDir dir(root);
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const Parsed p = parse(name);
        if (p.date.isValid() && p.date >= today && isRealDirectory(dir.filePath(name)))
            return false;
    }
    return true;
}

void copyDatabase(const QString &from, const QString &to, int timeoutMs)
{
    const QString name = QFileInfo(from).fileName();
    Connection source, target;
    openFile(source, from, SQLITE_OPEN_READONLY, name);
    openFile(target, to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, QFileInfo(to).fileName());
    sqlite3_busy_timeout(source.db, timeoutMs);
    sqlite3_busy_timeout(target.db, timeoutMs);
    sqlite3_backup *backup = sqlite3_backup_init(target.db, "main", source.db, "main");
    if (!backup)
        throw WrenError(name + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(target.db)));
    int waited = 0;
    int rc = SQLITE_OK;
    for (;;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc == SQLITE_DONE || (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || waited >= timeoutMs)
            break;
        QThread::msleep(50); // a writer is committing: its commit is waited for, not copied half done
        waited += 50;
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw WrenError(name + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errstr(rc)));
}

QString write(const QString &dataDir, const QString &settingsFile, const QString &root, const QDate &today, int keep)
{
    QDir rootDir(root);
    if (!rootDir.mkpath(QStringLiteral(".")))
        throw WrenError(QStringLiteral("The backup folder %1 cannot be created").arg(root));
    removeLinks(root);
    QString name = today.toString(Qt::ISODate);
    for (int n = 2; statusOf(rootDir.filePath(name)); ++n)
        name = today.toString(Qt::ISODate) + QStringLiteral("-%1").arg(n);
    const QString partial = rootDir.filePath(QStringLiteral(".") + name + QStringLiteral(".partial"));
    removeBackupFolder(partial); // left by a run that was stopped
    // The copies hold the sites' passwords: the folder is the user's alone
    // from the moment it exists, and it must be new.
    if (::mkdir(QFile::encodeName(partial).constData(), 0700) != 0)
        throw WrenError(QStringLiteral("The backup folder %1 cannot be created: %2")
                            .arg(partial, QString::fromLocal8Bit(std::strerror(errno))));
    try {
        const QDir data(dataDir);
        for (const Schema::Table &table : Schema::tables()) {
            const QString file = data.filePath(table.file);
            if (!QFileInfo::exists(file))
                continue;
            const QString copy = QDir(partial).filePath(table.file);
            const int fd =
                ::open(QFile::encodeName(copy).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0)
                throw WrenError(QStringLiteral("%1 cannot be created").arg(copy));
            ::close(fd);
            copyDatabase(file, copy);
        }
        if (!settingsFile.isEmpty() && QFileInfo::exists(settingsFile))
            copyPrivately(settingsFile, QDir(partial).filePath(kSettingsCopy));
        if (!rootDir.rename(partial, rootDir.filePath(name)))
            throw WrenError(QStringLiteral("The backup folder %1 cannot be created").arg(rootDir.filePath(name)));
    } catch (...) {
        removeBackupFolder(partial);
        throw;
    }
    removeOld(root, keep);
    return rootDir.filePath(name);
}

QString restore(const QString &backupDir, const QString &dataDir, const QString &settingsFile, const QString &root,
                const QDate &today)
{
    const QDir from(backupDir);
    if (!QFileInfo::exists(from.filePath(Schema::table(QStringLiteral("Journal")).file)))
        throw WrenError(QStringLiteral("%1 holds no journal table").arg(backupDir));
    // Keep one more than usual, so that the copy made now never pushes out the
    // backup being restored.
    QString before = write(dataDir, settingsFile, root, today, 15);
    const QDir data(dataDir);
    for (const Schema::Table &table : Schema::tables()) {
        const QString file = from.filePath(table.file);
        if (QFileInfo::exists(file))
            copyDatabase(file, data.filePath(table.file));
    }
    QFile saved(from.filePath(kSettingsCopy));
    if (!settingsFile.isEmpty() && saved.open(QIODevice::ReadOnly))
        AtomicFile::write(settingsFile, saved.readAll());
    return before;
}

} // namespace Backup
