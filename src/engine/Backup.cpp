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

void removeOld(const QString &root, int keep)
{
    const QList<Info> all = list(root);
    for (qsizetype i = keep; i < all.size(); ++i)
        QDir(all[i].path).removeRecursively();
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
        if (!p.date.isValid())
            continue;
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
        if (p.date.isValid() && p.date >= today)
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
    QString name = today.toString(Qt::ISODate);
    for (int n = 2; QFileInfo::exists(rootDir.filePath(name)); ++n)
        name = today.toString(Qt::ISODate) + QStringLiteral("-%1").arg(n);
    const QString partial = rootDir.filePath(QStringLiteral(".") + name + QStringLiteral(".partial"));
    QDir(partial).removeRecursively(); // left by a run that was stopped
    if (!QDir().mkpath(partial))
        throw WrenError(QStringLiteral("The backup folder %1 cannot be created").arg(partial));
    // The copies hold the sites' passwords: the folder is the user's alone.
    QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    try {
        const QDir data(dataDir);
        for (const Schema::Table &table : Schema::tables()) {
            const QString file = data.filePath(table.file);
            if (QFileInfo::exists(file))
                copyDatabase(file, QDir(partial).filePath(table.file));
        }
        if (!settingsFile.isEmpty() && QFileInfo::exists(settingsFile) &&
            !QFile::copy(settingsFile, QDir(partial).filePath(kSettingsCopy)))
            throw WrenError(QStringLiteral("%1 cannot be copied").arg(settingsFile));
        if (!rootDir.rename(partial, rootDir.filePath(name)))
            throw WrenError(QStringLiteral("The backup folder %1 cannot be created").arg(rootDir.filePath(name)));
    } catch (...) {
        QDir(partial).removeRecursively();
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
    const QString before = write(dataDir, settingsFile, root, today, 15);
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
