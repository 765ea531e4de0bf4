#include "UploadRecord.h"

#include "base/PrivateFiles.h"
#include "base/WrenError.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

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

UploadRecord::UploadRecord(const QString &path, std::function<void(const QString &)> notes)
    : m_path(path), m_notes(std::move(notes))
{
}

UploadRecord::~UploadRecord()
{
    sqlite3_close(m_db);
}

void UploadRecord::note(const QString &line) const
{
    if (m_notes)
        m_notes(line);
}

int UploadRecord::openDatabase() const
{
    // Made private before SQLite sees it; its journal files take its mode.
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    int result = sqlite3_open_v2(
        QFile::encodeName(m_path).constData(), &m_db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (result == SQLITE_OK) {
        sqlite3_busy_timeout(m_db, 5000);
        result = sqlite3_exec(m_db,
                              "CREATE TABLE IF NOT EXISTS Sent (Site TEXT NOT NULL, Directory TEXT NOT NULL, "
                              "Name TEXT NOT NULL, Size INTEGER NOT NULL, SHA256 TEXT NOT NULL, Time TEXT NOT NULL, "
                              "PRIMARY KEY (Site, Directory, Name))",
                              nullptr, nullptr, nullptr);
    }
    return result;
}

QString UploadRecord::setAside() const
{
    const QString base = m_path + QStringLiteral(".damaged-") + QDate::currentDate().toString(Qt::ISODate);
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(name).constData()) != 0)
        return {};
    return name;
}

bool UploadRecord::ready() const
{
    if (m_db)
        return true;
    if (m_unusable)
        return false;
    m_unusable = true; // until it opened
    try {
        if (const QString line = PrivateFiles::replaceLink(m_path); !line.isEmpty())
            note(line);
    } catch (const WrenError &error) {
        note(error.message() + QStringLiteral("; every page is sent"));
        return false;
    }
    int result = openDatabase();
    if (result == SQLITE_NOTADB || result == SQLITE_CORRUPT) {
        const QString reason = QString::fromUtf8(sqlite3_errstr(result));
        sqlite3_close(m_db);
        m_db = nullptr;
        const QString aside = setAside();
        if (aside.isEmpty()) {
            note(QStringLiteral("The upload record %1 is damaged (%2) and cannot be set aside; every page is sent")
                     .arg(m_path, reason));
            return false;
        }
        note(QStringLiteral("The upload record %1 is damaged (%2): it is set aside as %3, and every page is sent this "
                            "time")
                 .arg(m_path, reason, aside));
        result = openDatabase();
    }
    if (result != SQLITE_OK) {
        note(QStringLiteral("Cannot open %1: %2; every page is sent")
                 .arg(m_path, QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result))));
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    m_unusable = false;
    return true;
}

std::optional<UploadRecord::Entry> UploadRecord::find(const QString &site, const QString &directory,
                                                      const QString &name) const
{
    if (!ready())
        return std::nullopt;
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
    if (!ready())
        return; // said once when it failed to open
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
    if (!ready())
        return {};
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
