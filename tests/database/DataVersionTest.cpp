#include "TestSupport.h"

#include "base/Settings.h"
#include "engine/Startup.h"
#include "engine/DataVersion.h"
#include "data/Schema.h"
#include "engine/TableFile.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

class DataVersionTest : public DataDirTest {
protected:
    Settings settings{path("wren.INI")};

    // A table file as the previous format wrote it, with one row.
    void writeVersion4(const Schema::Table &table)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v4");
        db.setDatabaseName(path(table.file));
        ASSERT_TRUE(db.open());
        QStringList columns;
        for (const Schema::Field &f : table.fields)
            columns << f.name +
                           (f.type == Schema::FieldType::AutoIncrement ? " INTEGER PRIMARY KEY AUTOINCREMENT" : "");
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE " + table.name + " (" + columns.join(',') + ")"));
        const QString row = table.name == "Journal"
                                ? "(Name, eDate, eTime, ID) VALUES (1, '2002-07-24', '10:00:00', 41)"
                                : "(ID) VALUES (41)";
        ASSERT_TRUE(q.exec("INSERT INTO " + table.name + " " + row));
        ASSERT_TRUE(q.exec("PRAGMA user_version = 4"));
        q = QSqlQuery();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("v4");
    }
    void writeAllVersion4(bool withCookies)
    {
        for (const Schema::Table &table : Schema::tables()) {
            if (withCookies || table.name != "Cookie")
                writeVersion4(table);
        }
    }
};

TEST_F(DataVersionTest, CurrentVersionChangesNothing)
{
    writeAllVersion4(true);
    settings.setValue(Setting::Version, "5.0");
    const DataVersion::Result result = DataVersion::check(settings, dir());
    EXPECT_EQ(result.outcome, DataVersion::Outcome::Current);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_TRUE(result.upgradedFiles.isEmpty());
    EXPECT_EQ(TableFile::formatVersion(path("Journal.DAT")), 4);
    EXPECT_FALSE(settings.value(Setting::KeepArchivesCurrent)) << "a journal carried over keeps its archive rule";
}

TEST_F(DataVersionTest, Version4UpgradesSixFilesInOrder)
{
    writeAllVersion4(true);
    settings.setValue(Setting::Version, "4.0");
    const DataVersion::Result result = DataVersion::check(settings, dir());
    EXPECT_EQ(result.outcome, DataVersion::Outcome::Upgraded);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_EQ(result.upgradedFiles,
              QStringList({"Names.DAT", "Templates.DAT", "Journal.DAT", "Cookie.DAT", "Sites.DAT", "Upload.DAT"}));
    EXPECT_EQ(settings.value(Setting::Version), QStringLiteral("5.0"));
    EXPECT_FALSE(settings.value(Setting::KeepArchivesCurrent)) << "an upgraded journal keeps its archive rule";
    for (const Schema::Table &table : Schema::tables())
        EXPECT_EQ(TableFile::formatVersion(path(table.file)), 5) << table.file.toStdString();
}

TEST_F(DataVersionTest, Version4WithoutCookiesUpgradesFiveAndKeepsRows)
{
    writeAllVersion4(false);
    settings.setValue(Setting::Version, "4.0");
    const DataVersion::Result result = DataVersion::check(settings, dir());
    EXPECT_EQ(result.upgradedFiles,
              QStringList({"Names.DAT", "Templates.DAT", "Journal.DAT", "Sites.DAT", "Upload.DAT"}));
    EXPECT_FALSE(QFileInfo::exists(path("Cookie.DAT"))) << "the upgrade itself creates no cookie file";

    // Start-up then creates the missing table beside the others and opens them all.
    DataVersion::createMissingTables(dir());
    m_db.open(dir());
    EXPECT_EQ(m_db.firstRow("SELECT eDate, eTime FROM Journal WHERE ID=41")->value(0).toString(),
              QStringLiteral("2002-07-24"));
    EXPECT_EQ(m_db.firstRow("SELECT COUNT(*) FROM Names WHERE ID=41")->value(0).toInt(), 1);
    EXPECT_EQ(m_db.firstRow("SELECT COUNT(*) FROM Cookie")->value(0).toInt(), 0);
}

TEST_F(DataVersionTest, AnotherVersionIsReportedAndNothingChanges)
{
    writeAllVersion4(true);
    settings.setValue(Setting::Version, "3.0");
    // The window shows the message before any table is opened; start-up then goes on.
    QString told;
    const Startup::Result started =
        Startup::openDataDirectory(settings, dir(), QString(), m_db, [&](const DataVersion::Result &version) {
            EXPECT_FALSE(m_db.isOpen());
            told = version.message;
        });
    const DataVersion::Result &result = started.version;
    EXPECT_EQ(result.outcome, DataVersion::Outcome::WrongVersion);
    EXPECT_EQ(told, QStringLiteral("You must upgrade to 4.0 Before running this build!"));
    EXPECT_EQ(result.message, told);
    EXPECT_FALSE(result.mustExit());
    EXPECT_TRUE(m_db.isOpen());
    EXPECT_EQ(settings.value(Setting::Version), QStringLiteral("3.0"));
    EXPECT_EQ(TableFile::formatVersion(path("Names.DAT")), 4);
}

TEST_F(DataVersionTest, AMissingVersionEndsTheProgramBeforeAnyTableOpens)
{
    writeAllVersion4(true);
    writeFile("wren.INI", "[General]\nDays=3\n");
    const Startup::Result result = Startup::openDataDirectory(settings, dir(), QString(), m_db);
    EXPECT_EQ(result.version.outcome, DataVersion::Outcome::Missing);
    EXPECT_TRUE(result.version.mustExit());
    EXPECT_EQ(result.version.message, QStringLiteral("Please upgrade to Wren 4.0 or later *AND*\r\nrun the latest Data "
                                                     "Conversion Utility\r\nbefore running this build!"));
    EXPECT_FALSE(result.databaseOpen);
    EXPECT_FALSE(m_db.isOpen());
    EXPECT_EQ(TableFile::formatVersion(path("Names.DAT")), 4);
}

TEST_F(DataVersionTest, AnEmptyVersionCountsAsMissing)
{
    writeFile("wren.INI", "[General]\nVersion=\n");
    EXPECT_EQ(DataVersion::check(settings, dir()).outcome, DataVersion::Outcome::Missing);
    EXPECT_FALSE(QFileInfo::exists(path("Names.DAT"))) << "a settings file exists, so this is no fresh start";
}

TEST_F(DataVersionTest, TableFilesWithoutASettingsFileAreNoFreshStart)
{
    writeVersion4(Schema::table("Journal"));
    EXPECT_EQ(DataVersion::check(settings, dir()).outcome, DataVersion::Outcome::Missing);
    EXPECT_FALSE(QFileInfo::exists(settings.path()));
}

TEST_F(DataVersionTest, AnEmptyDirectoryStartsFresh)
{
    const Startup::Result result = Startup::openDataDirectory(settings, dir(), QString(), m_db);
    EXPECT_EQ(result.version.outcome, DataVersion::Outcome::FreshStart);
    EXPECT_TRUE(result.version.message.isEmpty());
    EXPECT_TRUE(result.databaseOpen);
    EXPECT_EQ(settings.value(Setting::Version), QStringLiteral("5.0"));
    EXPECT_TRUE(settings.value(Setting::KeepArchivesCurrent))
        << "a directory set up now keeps its archive pages current";
    for (const Schema::Table &table : Schema::tables())
        EXPECT_EQ(TableFile::formatVersion(path(table.file)), 5) << table.file.toStdString();
    EXPECT_FALSE(m_db.firstRow("SELECT * FROM Names").has_value());

    // The next start finds the current version and nothing to do.
    m_db.close();
    const Startup::Result again = Startup::openDataDirectory(settings, dir(), QString(), m_db);
    EXPECT_EQ(again.version.outcome, DataVersion::Outcome::Current);
    EXPECT_TRUE(again.createdTables.isEmpty());
}

TEST_F(DataVersionTest, TablesMissingBesideOthersAreCreatedEmpty)
{
    settings.setValue(Setting::Version, "5.0");
    TableFile::create(dir(), Schema::table("Names"));
    TableFile::create(dir(), Schema::table("Journal"));
    const Startup::Result result = Startup::openDataDirectory(settings, dir(), QString(), m_db);
    EXPECT_EQ(result.createdTables, QStringList({"Templates.DAT", "Cookie.DAT", "Sites.DAT", "Upload.DAT"}));
    EXPECT_TRUE(result.databaseOpen);
}
