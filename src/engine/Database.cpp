#include "Database.h"

#include "data/Schema.h"
#include "base/WrenError.h"
#include "engine/TableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace {

// SQLite keeps one temporary directory for the whole process; it is set before
// any connection of ours opens and kept for the rest of the run.
void setEngineTempDirectory(const QString &dir)
{
    if (dir.isEmpty())
        return;
    const QByteArray path = QDir(dir).absolutePath().toLocal8Bit();
    char *copy = sqlite3_mprintf("%s", path.constData());
    char *previous = sqlite3_temp_directory;
    sqlite3_temp_directory = copy;
    sqlite3_free(previous);
}

QString engineMessage(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

} // namespace

Database::Database(QString connectionName) : m_name(std::move(connectionName)) {}

Database::~Database()
{
    close();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && connection().isOpen();
}

void Database::open(const QString &dataDir, const QString &tempDir)
{
    close();
    setEngineTempDirectory(tempDir);
    for (const Schema::Table &table : Schema::tables()) {
        const QString file = TableFile::path(dataDir, table);
        if (!QFileInfo::exists(file))
            throw WrenError(QStringLiteral("Table file %1 does not exist").arg(file));
        const int version = TableFile::formatVersion(file);
        if (version > Schema::kFormatVersion)
            throw WrenError(QStringLiteral("%1 was written in storage format %2, newer than this program's %3")
                                .arg(file)
                                .arg(version)
                                .arg(Schema::kFormatVersion));
    }

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open()) {
            const QString message = engineMessage(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw WrenError(message);
        }
    }
    m_dataDir = QDir(dataDir).absolutePath();
    try {
        run(QStringLiteral("PRAGMA case_sensitive_like = ON"));
        for (const Schema::Table &table : Schema::tables()) {
            QSqlQuery attach(connection());
            attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(table.name + QStringLiteral("File")));
            attach.addBindValue(TableFile::path(m_dataDir, table));
            run(attach);
        }
    } catch (...) {
        close();
        throw;
    }
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = connection();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_dataDir.clear();
}

QSqlQuery Database::run(const QString &statement) const
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(statement))
        throw WrenError(engineMessage(query.lastError()));
    return query;
}

void Database::run(QSqlQuery &prepared) const
{
    if (!prepared.exec())
        throw WrenError(engineMessage(prepared.lastError()));
}

std::optional<QSqlRecord> Database::firstRow(const QString &statement) const
{
    QSqlQuery query = run(statement);
    if (!query.next())
        return std::nullopt;
    QSqlRecord row = query.record();
    for (int i = 0; i < row.count(); ++i) {
        if (!row.isNull(i))
            return row;
    }
    return std::nullopt;
}

sqlite3 *Database::handle() const
{
    const QVariant v = connection().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

void Database::flush()
{
    if (!isOpen())
        return;
    if (sqlite3 *db = handle()) {
        const int rc = sqlite3_db_cacheflush(db);
        if (rc != SQLITE_OK)
            throw WrenError(QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

void Database::closeIdleConnections()
{
    if (!isOpen())
        return;
    if (sqlite3 *db = handle())
        sqlite3_db_release_memory(db);
}
