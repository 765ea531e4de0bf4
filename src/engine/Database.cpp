#include "Database.h"

#include "data/Schema.h"
#include "base/WrenError.h"
#include "engine/RowReader.h"
#include "engine/TableFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

int engineCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : SQLITE_ERROR;
}

// The tables a statement names, as whole words.
std::vector<const Schema::Table *> tablesNamedIn(const QString &statement)
{
    std::vector<const Schema::Table *> named;
    for (const Schema::Table &table : Schema::tables()) {
        const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(table.name),
                                      QRegularExpression::CaseInsensitiveOption);
        if (word.match(statement).hasMatch())
            named.push_back(&table);
    }
    return named;
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
            // A file that is no database, or a damaged one, is named at once.
            QSqlQuery check(connection());
            if (!check.exec(QStringLiteral("SELECT COUNT(*) FROM %1File.sqlite_master").arg(table.name)))
                throw WrenError(table.file + QStringLiteral(": ") + engineMessage(check.lastError()));
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

void Database::fail(const QString &statement, int code, const QString &message) const
{
    // Errors of a file as a whole name the file; others (a refused row, a
    // wrong statement) are the table's and speak for themselves.
    const int primary = code & 0xFF;
    const bool ofAFile = primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_BUSY ||
                         primary == SQLITE_LOCKED || primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN ||
                         primary == SQLITE_READONLY || primary == SQLITE_FULL || primary == SQLITE_PERM;
    const std::vector<const Schema::Table *> named = tablesNamedIn(statement);
    if (!ofAFile || named.empty())
        throw WrenError(message);
    if (named.size() == 1)
        throw WrenError(named.front()->file + QStringLiteral(": ") + message);
    // Several tables: the one that cannot be read is at fault.
    QStringList files;
    for (const Schema::Table *table : named) {
        files << table->file;
        QSqlQuery probe(connection());
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM %1File.sqlite_master").arg(table->name)))
            throw WrenError(table->file + QStringLiteral(": ") + message);
    }
    throw WrenError(files.join(QStringLiteral(" or ")) + QStringLiteral(": ") + message);
}

QSqlQuery Database::run(const QString &statement) const
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.exec(statement))
        fail(statement, engineCode(query.lastError()), engineMessage(query.lastError()));
    return query;
}

void Database::run(QSqlQuery &prepared) const
{
    if (!prepared.exec())
        fail(prepared.lastQuery(), engineCode(prepared.lastError()), engineMessage(prepared.lastError()));
}

std::optional<QSqlRecord> Database::firstRow(const QString &statement) const
{
    RowReader rows(*this, statement);
    if (!rows.next())
        return std::nullopt;
    for (int i = 0; i < rows.columnCount(); ++i) {
        if (!rows.isNull(i))
            return rows.record();
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
