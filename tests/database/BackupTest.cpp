// Backups of the table files: consistent while another connection writes,
// restored to the same rows, one folder per day, the newest kept.

#include "TestSupport.h"
#include "base/WrenError.h"
#include "engine/Backup.h"
#include "wren-demo/DemoJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace {

const QDate kToday(2026, 12, 8);

// A connection of its own on one file, as another program would hold it.
struct Writer {
    sqlite3 *db = nullptr;
    explicit Writer(const QString &file) { sqlite3_open(QFile::encodeName(file).constData(), &db); }
    ~Writer() { sqlite3_close(db); }
    int exec(const char *sql) const { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

QString single(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

// Every row of the journal table, in one text.
const char *kAllRows = "SELECT group_concat(ID || '|' || Name || '|' || eDate || '|' || eTime || '|' || "
                       "quote(Entry) || '|' || quote(Title), char(10)) FROM (SELECT * FROM Journal ORDER BY ID)";

class BackupTest : public DataDirTest {
protected:
    void SetUp() override
    {
        DemoJournal::create(dir(), kToday);
        writeFile("wren.INI", "[Data]\nVersion=5\n[General]\nLiveSpell=0\n");
    }
    QString table(const QString &folder, const char *name) const { return QDir(folder).filePath(name); }
    QString root() const { return path("Backups"); }
};

} // namespace

TEST_F(BackupTest, TakenWhileAWriteIsHeldOpenItIsConsistentAndRestoresTheSameRows)
{
    const QString journal = path("Journal.DAT");
    const QString before = single(journal, kAllRows);
    const int count = single(journal, "SELECT COUNT(*) FROM Journal").toInt();
    ASSERT_GT(count, 0);

    Writer writer(journal);
    ASSERT_EQ(writer.exec("BEGIN IMMEDIATE"), SQLITE_OK);
    ASSERT_EQ(writer.exec("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2026-12-09', "
                          "'09:00:00', 'not yet committed')"),
              SQLITE_OK);
    ASSERT_EQ(writer.exec("DELETE FROM Journal WHERE ID = 1"), SQLITE_OK);
    const QString backup = Backup::write(dir(), path("wren.INI"), root(), kToday);
    ASSERT_EQ(writer.exec("COMMIT"), SQLITE_OK);

    EXPECT_EQ(QFileInfo(backup).fileName(), QStringLiteral("2026-12-08"));
    for (const char *file : {"Names.DAT", "Templates.DAT", "Journal.DAT", "Cookie.DAT", "Sites.DAT", "Upload.DAT"}) {
        ASSERT_TRUE(QFileInfo::exists(table(backup, file))) << file;
        EXPECT_EQ(single(table(backup, file), "PRAGMA integrity_check"), QStringLiteral("ok")) << file;
    }
    EXPECT_EQ(single(table(backup, "Journal.DAT"), kAllRows), before) << "the uncommitted write is not in it";
    EXPECT_EQ(QFile(table(backup, "wren.INI")).size(), QFileInfo(path("wren.INI")).size());

    const QList<Backup::Info> listed = Backup::list(root());
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].date, kToday);
    EXPECT_EQ(listed[0].entries, count);

    // The committed change is undone by the restore, and the restore itself
    // can be undone: the files it replaced are the newest backup.
    const QString after = single(journal, kAllRows);
    ASSERT_NE(after, before);
    writeFile("wren.INI", "[Data]\nVersion=5\n");
    Writer reader(journal); // a connection left open sees the restored rows
    const QString undo = Backup::restore(backup, dir(), path("wren.INI"), root(), kToday);
    EXPECT_EQ(single(journal, kAllRows), before);
    EXPECT_EQ(single(journal, "PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(readFile("wren.INI"), QByteArray("[Data]\nVersion=5\n[General]\nLiveSpell=0\n"));
    EXPECT_EQ(QFileInfo(undo).fileName(), QStringLiteral("2026-12-08-2"));
    EXPECT_EQ(single(table(undo, "Journal.DAT"), kAllRows), after);
    EXPECT_EQ(Backup::list(root()).first().path, undo);
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader.db, "SELECT COUNT(*) FROM Journal", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), count);
    sqlite3_finalize(stmt);
}

TEST_F(BackupTest, OneFolderPerDayTheNewestFourteenKept)
{
    EXPECT_TRUE(Backup::due(root(), kToday)) << "no backup yet";
    for (int back = 20; back >= 1; --back)
        Backup::write(dir(), path("wren.INI"), root(), kToday.addDays(-back));
    EXPECT_TRUE(Backup::due(root(), kToday));
    EXPECT_FALSE(Backup::due(root(), kToday.addDays(-1)));
    QList<Backup::Info> listed = Backup::list(root());
    ASSERT_EQ(listed.size(), 14);
    EXPECT_EQ(listed.first().date, kToday.addDays(-1));
    EXPECT_EQ(listed.last().date, kToday.addDays(-14));
    EXPECT_FALSE(QFileInfo::exists(QDir(root()).filePath(kToday.addDays(-15).toString(Qt::ISODate))));
    // The copies hold the sites' passwords: nobody else may look into a backup.
    EXPECT_EQ(QFileInfo(listed.first().path).permissions() &
                  (QFileDevice::ReadOther | QFileDevice::ReadGroup | QFileDevice::ExeOther | QFileDevice::ExeGroup),
              QFileDevice::Permissions());

    // A folder that is no backup is neither listed nor removed; a damaged
    // journal table is listed without a count.
    QDir(root()).mkpath("notes");
    writeFile("Backups/" + kToday.addDays(-1).toString(Qt::ISODate) + "/Journal.DAT", "not a table file");
    Backup::write(dir(), path("wren.INI"), root(), kToday);
    listed = Backup::list(root());
    ASSERT_EQ(listed.size(), 14);
    EXPECT_EQ(listed.first().date, kToday);
    EXPECT_EQ(listed[1].entries, -1);
    EXPECT_TRUE(QFileInfo::exists(path("Backups/notes")));
    EXPECT_TRUE(QDir(root()).entryList(QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot).contains("notes"));
    EXPECT_EQ(QDir(root()).entryList(QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot).size(), 15)
        << "no half-written folder is left";
}

// Links planted in the backup folder, where a copy in the making and old
// backups go: removed as links, never followed, emptied or made private.
TEST_F(BackupTest, PlantedLinksAreNeverFollowedAndOnlyOurOwnFoldersArePruned)
{
    QDir().mkpath(path("victim"));
    writeFile("victim/precious.txt", "keep");
    ASSERT_EQ(::chmod(QFile::encodeName(path("victim")).constData(), 0755), 0);
    QDir().mkpath(root());
    const QString today = kToday.toString(Qt::ISODate);
    ASSERT_TRUE(QFile::link(path("victim"), path("Backups/." + today + ".partial")));
    for (int back = 14; back >= 1; --back)
        QDir(root()).mkpath(kToday.addDays(-back - 30).toString(Qt::ISODate));
    ASSERT_TRUE(QFile::link(path("victim"), path("Backups/2020-01-01")));
    // An old folder that holds a file of somebody else's is not pruned.
    QDir(root()).mkpath("2020-01-02");
    writeFile("Backups/2020-01-02/notes.txt", "mine");

    const QString made = Backup::write(dir(), path("wren.INI"), root(), kToday);
    EXPECT_EQ(made, path("Backups/" + today));
    EXPECT_FALSE(QFileInfo(made).isSymLink());
    EXPECT_EQ(QDir(path("victim")).entryList(QDir::Files), QStringList{"precious.txt"});
    EXPECT_EQ(readFile("victim/precious.txt"), "keep");
    EXPECT_EQ(QFileInfo(path("victim")).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther)
        << "the victim's mode stays";
    EXPECT_FALSE(QFileInfo(path("Backups/2020-01-01")).isSymLink()) << "removed as a link";
    EXPECT_TRUE(QFileInfo::exists(path("Backups/2020-01-02/notes.txt")));
    for (const char *name : {"Sites.DAT", "wren.INI", "Journal.DAT"}) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(QDir(made).filePath(name)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode_t(0600)) << name;
    }
    EXPECT_EQ(Backup::list(root()).size(), 15) << "the newest fourteen, and the folder that was not ours to prune";
}

TEST_F(BackupTest, ARestoreFromAFolderWithoutTablesChangesNothing)
{
    QDir(root()).mkpath("2026-12-01");
    const QByteArray journal = readFile("Journal.DAT");
    EXPECT_THROW(Backup::restore(path("Backups/2026-12-01"), dir(), path("wren.INI"), root(), kToday), WrenError);
    EXPECT_EQ(readFile("Journal.DAT"), journal);
}

TEST_F(BackupTest, AWriterHoldingTheFileIsWaitedForNotCopiedHalfDone)
{
    const QString journal = path("Journal.DAT");
    const int count = single(journal, "SELECT COUNT(*) FROM Journal").toInt();
    Writer writer(journal);
    ASSERT_EQ(writer.exec("BEGIN EXCLUSIVE"), SQLITE_OK); // no reader gets in until the commit
    ASSERT_EQ(writer.exec("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2026-12-09', '09:00:00', "
                          "'committed while the backup waits')"),
              SQLITE_OK);
    std::thread commit([&writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writer.exec("COMMIT");
    });
    const QString backup = Backup::write(dir(), path("wren.INI"), root(), kToday);
    commit.join();
    EXPECT_EQ(single(table(backup, "Journal.DAT"), "PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(single(table(backup, "Journal.DAT"), "SELECT COUNT(*) FROM Journal").toInt(), count + 1);
}
