#include "UploadRecord.h"

#include "base/WrenError.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>

#include <sqlite3.h>

namespace {

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt *stmt = nullptr;
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    void bind(int index, const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        sqlite3_bind_text(stmt, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
};

} // namespace

UploadRecord::UploadRecord(const QString &path) : m_path(path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw WrenError(QStringLiteral("Cannot open %1: %2").arg(path, reason));
    }
    sqlite3_busy_timeout(m_db, 5000);
    exec("CREATE TABLE IF NOT EXISTS Sent (Site TEXT NOT NULL, Directory TEXT NOT NULL, Name TEXT NOT NULL, "
         "Size INTEGER NOT NULL, SHA256 TEXT NOT NULL, Time TEXT NOT NULL, PRIMARY KEY (Site, Directory, Name))");
}

UploadRecord::~UploadRecord()
{
    sqlite3_close(m_db);
}

void UploadRecord::exec(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(error ? error : "unknown error");
        sqlite3_free(error);
        throw WrenError(QStringLiteral("Cannot use %1: %2").arg(m_path, reason));
    }
}

std::optional<UploadRecord::Entry> UploadRecord::find(const QString &site, const QString &directory,
                                                      const QString &name) const
{
    Statement q(m_db, "SELECT Size, SHA256 FROM Sent WHERE Site = ?1 AND Directory = ?2 AND Name = ?3");
    q.bind(1, site);
    q.bind(2, directory);
    q.bind(3, name);
    if (!q.stmt || sqlite3_step(q.stmt) != SQLITE_ROW)
        return std::nullopt;
    Entry entry;
    entry.size = sqlite3_column_int64(q.stmt, 0);
    entry.sha256 = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(q.stmt, 1)));
    return entry;
}

void UploadRecord::record(const QString &site, const QString &directory, const QString &name, const Entry &entry)
{
    Statement q(m_db, "INSERT OR REPLACE INTO Sent (Site, Directory, Name, Size, SHA256, Time) "
                      "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    q.bind(1, site);
    q.bind(2, directory);
    q.bind(3, name);
    sqlite3_bind_int64(q.stmt, 4, entry.size);
    q.bind(5, QString::fromLatin1(entry.sha256));
    q.bind(6, QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!q.stmt || sqlite3_step(q.stmt) != SQLITE_DONE)
        throw WrenError(QStringLiteral("Cannot write to %1: %2").arg(m_path, QString::fromUtf8(sqlite3_errmsg(m_db))));
}

QStringList UploadRecord::names(const QString &site, const QString &directory) const
{
    Statement q(m_db, "SELECT Name FROM Sent WHERE Site = ?1 AND Directory = ?2");
    q.bind(1, site);
    q.bind(2, directory);
    QStringList found;
    while (q.stmt && sqlite3_step(q.stmt) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.stmt, 0)));
    return found;
}

UploadRecord::Entry UploadRecord::digestOf(const QByteArray &bytes)
{
    return Entry{bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()};
}

std::optional<UploadRecord::Entry> UploadRecord::digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return std::nullopt;
    return Entry{file.size(), hash.result().toHex()};
}
