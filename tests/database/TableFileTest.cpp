#include "TestSupport.h"

#include "data/Schema.h"
#include "base/WrenError.h"
#include "engine/DataVersion.h"
#include "engine/TableFile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Runs raw statements on one file the way an outside SQLite tool would.
class RawFile {
public:
    explicit RawFile(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
    }
    ~RawFile()
    {
        QSqlDatabase::database("raw", false).close();
        QSqlDatabase::removeDatabase("raw");
    }
    QSqlQuery exec(const QString &statement)
    {
        QSqlQuery q(QSqlDatabase::database("raw", false));
        EXPECT_TRUE(q.exec(statement)) << statement.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    QStringList column(const QString &statement)
    {
        QSqlQuery q = exec(statement);
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
};

} // namespace

class TableFileTest : public DataDirTest {
protected:
    // A Journal.DAT as the previous format wrote it: no checks, no index.
    void writeVersion4Journal()
    {
        RawFile raw(path("Journal.DAT"));
        raw.exec("CREATE TABLE Journal (Name INTEGER, eDate TEXT, eTime TEXT, Entry TEXT, "
                 "ID INTEGER PRIMARY KEY AUTOINCREMENT, Author TEXT, Title TEXT)");
        raw.exec("INSERT INTO Journal VALUES (1, '2002-07-24', '08:30:00', 'first', 1, 'ann', 'T1')");
        raw.exec("INSERT INTO Journal VALUES (1, '2002-07-25', '09:00:00', 'second', 2, 'ann', NULL)");
        raw.exec("INSERT INTO Journal VALUES (2, '2002-07-26', '10:00:00', 'deleted later', 7, 'bob', '')");
        raw.exec("DELETE FROM Journal WHERE ID = 7");
        raw.exec("PRAGMA user_version = 4");
    }
};

TEST_F(TableFileTest, CreatedFilesHoldTheirTableInTheCurrentFormat)
{
    for (const Schema::Table &table : Schema::tables()) {
        TableFile::create(dir(), table);
        EXPECT_EQ(TableFile::formatVersion(path(table.file)), Schema::kFormatVersion) << table.file.toStdString();
        RawFile raw(path(table.file));
        QStringList columns = raw.column("SELECT name FROM pragma_table_info('" + table.name + "')");
        QStringList expected;
        for (const Schema::Field &f : table.fields)
            expected << f.name;
        EXPECT_EQ(columns, expected) << table.file.toStdString();
    }
    RawFile raw(path("Journal.DAT"));
    EXPECT_EQ(raw.column("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"),
              QStringList("JournalByDay"));
    EXPECT_THROW(TableFile::create(dir(), Schema::table("Journal")), WrenError) << "an existing file is never replaced";
    EXPECT_EQ(QDir(dir()).entryList({"*.new*"}, QDir::Files), QStringList()) << "no side file stays";

    // A start that died while creating a file left it empty; the next start
    // makes it again instead of failing on a file without its table.
    QFile::resize(path("Templates.DAT"), 0);
    EXPECT_EQ(DataVersion::createMissingTables(dir()), QStringList("Templates.DAT"));
    EXPECT_EQ(TableFile::formatVersion(path("Templates.DAT")), Schema::kFormatVersion);
}

TEST_F(TableFileTest, TheEngineRefusesRowsThatBreakTheStoredForms)
{
    openFreshDatabase();
    auto refused = [&](const QString &statement) -> QString {
        try {
            m_db.run(statement);
        } catch (const WrenError &error) {
            return error.message();
        }
        return QString();
    };
    EXPECT_EQ(refused("INSERT INTO Journal (Name, eDate) VALUES (1, '2002-07-24')"),
              QStringLiteral("NOT NULL constraint failed: Journal.eTime"));
    EXPECT_EQ(refused("INSERT INTO Journal (Name, eDate, eTime) VALUES (1, '', '10:00:00')"),
              QStringLiteral("CHECK constraint failed: eDate is required"));
    EXPECT_EQ(refused("INSERT INTO Journal (Name, eDate, eTime) VALUES (1, '24.7.2002', '10:00:00')"),
              QStringLiteral("CHECK constraint failed: eDate must be a date YYYY-MM-DD"));
    EXPECT_EQ(refused("INSERT INTO Names (Name) VALUES ('" + QString(51, 'x') + "')"),
              QStringLiteral("CHECK constraint failed: Name is longer than 50 characters"));
    EXPECT_EQ(refused("INSERT INTO Names (Name) VALUES ('" + QString(50, QChar(0x00e9)) + "')"), QString())
        << "the length counts characters, not bytes";
    EXPECT_EQ(refused("INSERT INTO Upload (Active) VALUES (2)"),
              QStringLiteral("CHECK constraint failed: Active must be 0 or 1"));
    EXPECT_EQ(refused("INSERT INTO Upload (Active, AutoArc) VALUES (True, False)"), QString())
        << "the literal True works";
    EXPECT_EQ(refused("INSERT INTO Sites (Port) VALUES ('twenty')"),
              QStringLiteral("CHECK constraint failed: Port must be a whole number"));
    EXPECT_EQ(refused("INSERT INTO Templates (FileMod) VALUES ('2002-07-24 10:11:12.345')"), QString());
    EXPECT_EQ(refused("INSERT INTO Upload (LastArc) VALUES ('')"), QString()) << "an optional day may be empty";
    EXPECT_EQ(refused("INSERT INTO Upload (Journal, Site) VALUES (NULL, 2)"), QString()) << "an optional number too";
}

TEST_F(TableFileTest, UpgradeKeepsEveryRowFieldAndNumber)
{
    writeVersion4Journal();
    TableFile::upgrade(dir(), Schema::table("Journal"));
    EXPECT_EQ(TableFile::formatVersion(path("Journal.DAT")), Schema::kFormatVersion);

    RawFile raw(path("Journal.DAT"));
    EXPECT_EQ(
        raw.column("SELECT Name||'|'||eDate||'|'||eTime||'|'||Entry||'|'||ID||'|'||Author||'|'||ifnull(Title,'<null>') "
                   "FROM Journal ORDER BY ID"),
        QStringList({"1|2002-07-24|08:30:00|first|1|ann|T1", "1|2002-07-25|09:00:00|second|2|ann|<null>"}));
    EXPECT_EQ(raw.column("SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"),
              QStringList("JournalByDay"));
    // The number of the deleted entry 7 is never handed out again.
    raw.exec("INSERT INTO Journal (Name, eDate, eTime) VALUES (1, '2002-07-27', '11:00:00')");
    EXPECT_EQ(raw.column("SELECT max(ID) FROM Journal"), QStringList("8"));
    EXPECT_EQ(raw.column("SELECT count(*) FROM sqlite_master WHERE name LIKE '%previous%'"), QStringList("0"));
}

TEST_F(TableFileTest, AnUpgradeThatCannotKeepARowChangesNothing)
{
    {
        RawFile raw(path("Names.DAT"));
        raw.exec("CREATE TABLE Names (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, Reverse INTEGER, DtFormat TEXT, "
                 "TmFormat TEXT, ArcDtFormat TEXT, ArcType TEXT, ArcReverse INTEGER, WebSite TEXT, Author TEXT)");
        raw.exec("INSERT INTO Names (Name) VALUES ('" + QString(60, 'n') + "')");
        raw.exec("PRAGMA user_version = 4");
    }
    try {
        TableFile::upgrade(dir(), Schema::table("Names"));
        ADD_FAILURE() << "the upgrade should have failed";
    } catch (const WrenError &error) {
        EXPECT_TRUE(error.message().startsWith("Upgrade of " + path("Names.DAT") + " failed: "));
        EXPECT_TRUE(error.message().contains("Name is longer than 50 characters")) << error.message().toStdString();
    }
    EXPECT_EQ(TableFile::formatVersion(path("Names.DAT")), 4);
    RawFile raw(path("Names.DAT"));
    EXPECT_EQ(raw.column("SELECT length(Name) FROM Names"), QStringList("60"));
    EXPECT_EQ(raw.column("SELECT name FROM sqlite_master WHERE type='table' AND name <> 'sqlite_sequence'"),
              QStringList("Names"));
}

TEST_F(TableFileTest, AFieldTheOldFileLacksStaysEmpty)
{
    {
        RawFile raw(path("Upload.DAT"));
        raw.exec("CREATE TABLE Upload (ID INTEGER PRIMARY KEY, Journal INTEGER, Site INTEGER, LogFile TEXT)");
        raw.exec("INSERT INTO Upload VALUES (3, 1, 2, 'index.html')");
        raw.exec("PRAGMA user_version = 4");
    }
    TableFile::upgrade(dir(), Schema::table("Upload"));
    RawFile raw(path("Upload.DAT"));
    EXPECT_EQ(raw.column("SELECT ID||'|'||LogFile||'|'||ifnull(ImageDir,'<null>') FROM Upload"),
              QStringList("3|index.html|<null>"));
}

TEST_F(TableFileTest, AFileOfANewerFormatIsRefused)
{
    {
        RawFile raw(path("Sites.DAT"));
        raw.exec("CREATE TABLE Sites (ID INTEGER PRIMARY KEY)");
        raw.exec("PRAGMA user_version = 6");
    }
    EXPECT_THROW(TableFile::upgrade(dir(), Schema::table("Sites")), WrenError);
    for (const Schema::Table &table : Schema::tables()) {
        if (table.name != "Sites")
            TableFile::create(dir(), table);
    }
    EXPECT_THROW(m_db.open(dir()), WrenError);
}
