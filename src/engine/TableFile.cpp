#include "TableFile.h"

#include "base/WrenError.h"
#include "engine/Transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace TableFile {

namespace {

// A private connection on one file, removed from Qt's registry when it ends.
class FileConnection {
public:
    explicit FileConnection(const QString &filePath)
        : m_name(QStringLiteral("wren-file-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          m_fileName(QFileInfo(filePath).fileName())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(filePath);
        if (!db.open())
            throw WrenError(QStringLiteral("Cannot open %1: %2").arg(filePath, db.lastError().text()));
    }
    ~FileConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    FileConnection(const FileConnection &) = delete;
    FileConnection &operator=(const FileConnection &) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // Runs one statement; a failure throws with the file's name and the
    // engine's message ("Journal.DAT: file is not a database").
    QSqlQuery run(const QString &statement) const
    {
        QSqlQuery query(db());
        if (!query.exec(statement))
            throw WrenError(m_fileName + QStringLiteral(": ") + query.lastError().databaseText());
        return query;
    }

private:
    QString m_name;
    QString m_fileName;
};

Transaction::Runner runner(const FileConnection &file)
{
    return [&file](const QString &statement) { file.run(statement); };
}

QStringList existingColumns(const FileConnection &file, const QString &tableName)
{
    QSqlQuery info = file.run(QStringLiteral("PRAGMA table_info(%1)").arg(tableName));
    QStringList columns;
    while (info.next())
        columns << info.value(1).toString();
    return columns;
}

} // namespace

QString path(const QString &dataDir, const Schema::Table &table)
{
    return QDir(dataDir).filePath(table.file);
}

void create(const QString &dataDir, const Schema::Table &table)
{
    const QString filePath = path(dataDir, table);
    if (QFileInfo::exists(filePath))
        throw WrenError(QStringLiteral("%1 already exists").arg(filePath));
    // The table is made under a side name and linked into place once whole:
    // a start that dies or hangs half-way leaves no file that later starts
    // would take for a table file and fail on.
    const QString building = filePath + QStringLiteral(".new");
    QFile::remove(building);
    QFile::remove(building + QStringLiteral("-journal"));
    try {
        {
            FileConnection file(building);
            Transaction transaction(runner(file));
            for (const QString &statement : Schema::createStatements(table))
                file.run(statement);
            file.run(QStringLiteral("PRAGMA user_version = %1").arg(Schema::kFormatVersion));
            transaction.commit();
        }
        // link() never replaces: a file another start made meanwhile stays.
        if (::link(QFile::encodeName(building).constData(), QFile::encodeName(filePath).constData()) != 0)
            throw WrenError(QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(building);
    } catch (const WrenError &error) {
        QFile::remove(building);
        throw WrenError(QStringLiteral("Cannot create %1: %2").arg(filePath, error.message()));
    }
}

int formatVersion(const QString &filePath)
{
    if (!QFileInfo::exists(filePath))
        throw WrenError(QStringLiteral("%1 does not exist").arg(filePath));
    FileConnection file(filePath);
    QSqlQuery query = file.run(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

void upgrade(const QString &dataDir, const Schema::Table &table)
{
    const QString filePath = path(dataDir, table);
    if (!QFileInfo::exists(filePath)) {
        create(dataDir, table);
        return;
    }
    FileConnection file(filePath);
    {
        QSqlQuery version = file.run(QStringLiteral("PRAGMA user_version"));
        const int current = version.next() ? version.value(0).toInt() : 0;
        if (current == Schema::kFormatVersion)
            return;
        if (current > Schema::kFormatVersion)
            throw WrenError(QStringLiteral("%1 was written in storage format %2, newer than this program's %3")
                                .arg(filePath)
                                .arg(current)
                                .arg(Schema::kFormatVersion));
    }

    const QString old = table.name + QStringLiteral("_previous");
    try {
        Transaction transaction(runner(file));
        const QStringList oldColumns = existingColumns(file, table.name);
        if (oldColumns.isEmpty())
            throw WrenError(QStringLiteral("no table %1 in the file").arg(table.name));
        file.run(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(table.name, old));
        // Indexes follow the renamed table; the current format brings its own.
        QSqlQuery indexes =
            file.run(QStringLiteral(
                         "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = '%1' AND sql IS NOT NULL")
                         .arg(old));
        QStringList indexNames;
        while (indexes.next())
            indexNames << indexes.value(0).toString();
        indexes.finish();
        for (const QString &index : indexNames)
            file.run(QStringLiteral("DROP INDEX \"%1\"").arg(index));
        for (const QString &statement : Schema::createStatements(table))
            file.run(statement);

        // Copy the fields both formats know; a field the old file lacks stays empty.
        QStringList shared;
        for (const Schema::Field &field : table.fields) {
            if (oldColumns.contains(field.name, Qt::CaseInsensitive))
                shared << field.name;
        }
        const QString columns = shared.join(u',');
        file.run(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(table.name, columns, old));

        // Keep the auto-increment counter where it was, so that no number of a
        // deleted row is ever handed out again (pages and links name entries by it).
        const bool hasSequence = !existingColumns(file, QStringLiteral("sqlite_sequence")).isEmpty();
        if (hasSequence) {
            file.run(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) SELECT '%1', 0 WHERE NOT EXISTS "
                                    "(SELECT 1 FROM sqlite_sequence WHERE name = '%1')")
                         .arg(table.name));
            file.run(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, (SELECT coalesce(max(seq), 0) FROM "
                                    "sqlite_sequence WHERE name = '%2')) WHERE name = '%1'")
                         .arg(table.name, old));
            file.run(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = '%1'").arg(old));
        }
        file.run(QStringLiteral("DROP TABLE %1").arg(old));
        file.run(QStringLiteral("PRAGMA user_version = %1").arg(Schema::kFormatVersion));
        transaction.commit();
    } catch (const WrenError &error) {
        throw WrenError(QStringLiteral("Upgrade of %1 failed: %2").arg(filePath, error.message()));
    }
}

} // namespace TableFile
