#include "TestSupport.h"

#include "base/DataDirectoryLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTimeZone>

#include <iostream>
#include <limits>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QStringList out;
    QString err;
};

} // namespace

// wren-publish run as a process on a data directory made by wren-demo.
class WrenPublishTest : public DataDirTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(path("tmp"));
        ASSERT_EQ(runTool(WREN_DEMO_BIN, {path("data"), "--today", "2026-12-08"}).exitCode, 0);
    }

    ToolRun runTool(const QString &program, const QStringList &args, const QString &home = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", path("tmp"));
        env.insert("LC_ALL", "C");
        env.remove("WREN_DATA_DIR");
        if (!home.isEmpty()) {
            env.insert("HOME", home);
            env.remove("XDG_DATA_HOME");
        }
        p.setProcessEnvironment(env);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        ToolRun run;
        run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        run.out = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        run.err = QString::fromUtf8(p.readAllStandardError()).trimmed();
        return run;
    }
    ToolRun publish(QStringList args = {})
    {
        args.prepend(path("data"));
        args.prepend("--data-dir");
        return runTool(WREN_PUBLISH_BIN, args);
    }
    QStringList siteFiles() { return QDir(path("data/site")).entryList(QDir::Files, QDir::Name); }
};

// A publish whose archive pages fail keeps the day of the last archiving, so
// the pages go once the fault is mended instead of being left out for good.
TEST_F(WrenPublishTest, ArchivePagesThatFailedGoAgainAtTheNextPublish)
{
    auto lastArc = [&] {
        QProcess q;
        q.start("sqlite3", {path("data/Upload.DAT"), "SELECT LastArc FROM Upload WHERE LogFile='index.html'"});
        q.waitForFinished();
        return QString::fromUtf8(q.readAllStandardOutput()).trimmed();
    };
    ASSERT_EQ(QProcess::execute("sqlite3", {path("data/Upload.DAT"), "UPDATE Upload SET LastArc='2026-10-01', "
                                                                     "Directory='" +
                                                                         path("missing") + "'"}),
              0);
    const ToolRun failed = publish();
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains(QStringLiteral("Archive pages of upload 1 did not all reach the site; the next "
                                                   "publish builds them again from 2026-10-01")))
        << failed.out.join('\n').toStdString();
    EXPECT_EQ(lastArc(), QStringLiteral("2026-10-01"));

    ASSERT_TRUE(QDir().mkpath(path("missing")));
    const ToolRun mended = publish();
    EXPECT_EQ(mended.exitCode, 0) << mended.out.join('\n').toStdString();
    const QStringList sent = QDir(path("missing")).entryList({"arc*.html"}, QDir::Files);
    EXPECT_TRUE(sent.contains("arc20261025.html")) << sent.join(' ').toStdString();
    EXPECT_TRUE(sent.contains("arc20261206.html")) << sent.join(' ').toStdString();
    EXPECT_NE(lastArc(), QStringLiteral("2026-10-01")) << "the day moves on once every page went";
}

TEST_F(WrenPublishTest, PublishesTheCurrentPageAndItsArchives)
{
    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    ASSERT_FALSE(run.out.isEmpty());
    EXPECT_EQ(run.out.first(), QStringLiteral("Started Publish Process ..."));
    EXPECT_EQ(run.out.last(), QStringLiteral("Completed Publish Process ..."));
    EXPECT_TRUE(run.out.contains("Archival Process Completed!")) << "the demo upload archives automatically";
    EXPECT_TRUE(siteFiles().contains("index.html"));
    EXPECT_TRUE(siteFiles().contains("archive.html"));

    const QByteArray page = readFile("data/site/index.html");
    EXPECT_TRUE(page.contains("First frost on the pond"));
    EXPECT_FALSE(page.contains("<Wren>")) << "the block markers never reach a page";
    EXPECT_FALSE(page.contains("<$WrenEntry>"));
    EXPECT_EQ(QDir(path("tmp")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList())
        << "the private staging directory is removed at exit";
}

TEST_F(WrenPublishTest, PublishesArchivesForARange)
{
    const ToolRun run = publish({"--archives", "2026-11-01", "2026-11-14"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The feed upload writes one feed per week beside the pages, and its own index.
    EXPECT_EQ(siteFiles(), QStringList({"arc20261101.html", "arc20261101.xml", "arc20261108.html", "arc20261108.xml",
                                        "archive.html", "feeds.html"}));
    EXPECT_TRUE(readFile("data/site/arc20261101.html").startsWith("<!DOCTYPE html>")) << "pages stay pages";
    EXPECT_TRUE(readFile("data/site/archive.html").contains("arc20261101.html"));
    EXPECT_EQ(run.out.first(), QStringLiteral("Started Archival Process ..."));
    EXPECT_EQ(run.out.last(), QStringLiteral("Archival Process Completed!"));
}

TEST_F(WrenPublishTest, BackupWritesADayFolderAndPublishesNothing)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    ToolRun run = publish({"--backup", path("saved")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringList({"Backup written to " + path("saved/" + today)}));
    EXPECT_TRUE(siteFiles().isEmpty()) << "nothing is published";
    EXPECT_TRUE(QFileInfo::exists(path("saved/" + today + "/Journal.DAT")));
    EXPECT_TRUE(QFileInfo::exists(path("saved/" + today + "/wren.INI")));
    run = publish({"--backup", path("saved")});
    EXPECT_EQ(run.out, QStringList({"Backup written to " + path("saved/" + today + "-2")}));

    run = runTool(WREN_PUBLISH_BIN, {"--data-dir", path("tmp"), "--backup", path("saved")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: The data directory %1 holds no journal table").arg(path("tmp")));
}

TEST_F(WrenPublishTest, AFailedStepGivesStatusOne)
{
    ASSERT_TRUE(QDir(path("data/site")).removeRecursively());
    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains("Error changing directory!"));
    EXPECT_EQ(run.out.last(), QStringLiteral("Completed Publish Process ..."));
}

TEST_F(WrenPublishTest, CommandsThatCannotRunGiveStatusTwo)
{
    ToolRun run = publish({"--journal", "7"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: There is no journal with ID 7"));

    run = publish({"--archives", "2026-11-01"});
    EXPECT_EQ(run.exitCode, 2);

    run = runTool(WREN_PUBLISH_BIN, {"--data-dir", path("nowhere")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: The data directory %1 does not exist").arg(path("nowhere")));

    run = publish({"--journal", "first"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: --journal needs a number"));

    run = publish({"--colour"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: Unknown option 'colour'. (see --help)"));
    EXPECT_TRUE(run.out.isEmpty());

    writeFile("data/wren.INI", "[General]\nDays=3\n");
    run = publish();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("wren-publish: Please upgrade to Wren 4.0 or later *AND*")) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(WrenPublishTest, AJournalWithoutEntries)
{
    QDir().mkpath(path("empty"));
    ToolRun run = runTool(WREN_PUBLISH_BIN, {"--data-dir", path("empty")});
    EXPECT_EQ(run.exitCode, 2) << "a fresh directory holds no journal";
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: The data directory holds no journal"));
    EXPECT_TRUE(QFileInfo::exists(path("empty/Journal.DAT"))) << "the fresh start made the tables";

    Database db("e2e");
    db.open(path("data"));
    db.run("DELETE FROM Journal");
    db.close();
    run = publish();
    EXPECT_EQ(run.exitCode, 0) << "nothing to publish is no failure";
    EXPECT_EQ(run.out, QStringList({"Started Publish Process ...", "No entries to publish!"}));
    run = publish({"--archives", "2026-01-01", "2026-12-31"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: Error getting date range of entries!"));
}

TEST_F(WrenPublishTest, RefusesADataDirectoryInUse)
{
    DataDirectoryLock held(path("data"));
    ASSERT_TRUE(held.isHeld());
    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("wren-publish: Another Wren program (process ")) << run.err.toStdString();
    EXPECT_TRUE(siteFiles().isEmpty());
}

namespace {

// Runs one statement on a table file with SQLite itself, as another program
// would, so that the bytes and values go in unchecked.
void rawExec(const QString &file, const QByteArray &statement)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, statement.constData(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

} // namespace

TEST_F(WrenPublishTest, StoredBytesThatAreNotUtf8ReachThePageUnchanged)
{
    // Latin-1 in an entry, a title, a template file and the month names.
    rawExec(path("data/Journal.DAT"), "UPDATE Journal SET Entry=CAST(x'4772fcdf65' AS TEXT), "
                                      "Title=CAST(x'436166e9' AS TEXT) WHERE ID=(SELECT MAX(ID) FROM Journal)");
    QByteArray ini = readFile("data/wren.INI");
    ini += "\n[Language]\nLongMonth12=Dezem\xe4"
           "er\nOdd=\x01\xff\xfe\n";
    writeFile("data/wren.INI", ini);
    const QByteArray templateFile = "<html><body>\xa9 Caf\xe9 <Wren><h2><$WrenDate></h2><b><$WrenTitle></b>"
                                    "<$WrenEntry></Wren><$WrenCookie></body></html>";
    writeFile("template.htm", templateFile);
    rawExec(
        path("data/Templates.DAT"),
        QStringLiteral("UPDATE Templates SET FileDir='%1', FileMod='' WHERE ID=1").arg(path("template.htm")).toUtf8());

    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray page = readFile("data/site/index.html");
    EXPECT_TRUE(page.startsWith("<html><body>\xa9 Caf\xe9 ")) << page.left(80).toStdString();
    EXPECT_TRUE(page.contains("<b>Caf\xe9</b>"));
    EXPECT_TRUE(page.contains("Gr\xfc\xdf"
                              "e"));
    EXPECT_TRUE(page.contains("Dezem\xe4"
                              "er 8, 2026"));
    EXPECT_FALSE(page.contains("\xef\xbf\xbd")) << "no replacement character anywhere";

    // The cookie counter was written; every other line kept its bytes.
    const QByteArray after = readFile("data/wren.INI");
    EXPECT_TRUE(after.contains("\nLongMonth12=Dezem\xe4"
                               "er\nOdd=\x01\xff\xfe\n"));
    EXPECT_TRUE(after.contains("CookieSeq="));
    // The template's stored copy holds the file's bytes too.
    const ToolRun second = publish();
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(readFile("data/site/index.html").startsWith("<html><body>\xa9 Caf\xe9 "));
}

TEST_F(WrenPublishTest, EntriesWithImpossibleDaysAreLeftOutAndReported)
{
    // Written by another program, past the engine's checks.
    rawExec(
        path("data/Journal.DAT"),
        "INSERT INTO Journal (Name, eDate, eTime, Entry, Title) VALUES (1, '2026-11-31', '10:00:00', 'bad day', ''),"
        " (1, '2026-12-08', '25:61:00', 'bad time', ''), (1, '2026-12-32', '09:00:00', 'beyond', '')");
    const qlonglong firstBad = [&] {
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(path("data/Journal.DAT")).constData(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT MIN(ID) FROM Journal WHERE Entry='bad day'", -1, &st, nullptr);
        sqlite3_step(st);
        const qlonglong id = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
        return id;
    }();

    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.filter(QStringLiteral("impossible")).size(), 3) << run.out.join('\n').toStdString();
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("Entry %1 has the impossible date 2026-11-31; left out").arg(firstBad)));
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("Entry %1 has the impossible time 25:61:00; left out").arg(firstBad + 1)));
    EXPECT_EQ(run.out.last(), QStringLiteral("Completed Publish Process ..."));
    const QByteArray page = readFile("data/site/index.html");
    EXPECT_FALSE(page.contains("bad time"));
    EXPECT_TRUE(page.contains("December 8, 2026")) << "the latest real day still leads the page";

    const ToolRun archives = publish({"--archives", "2026-11-01", "2026-12-31"});
    EXPECT_EQ(archives.exitCode, 1) << archives.err.toStdString();
    EXPECT_EQ(archives.out.filter(QStringLiteral("impossible")).size(), 3);
    EXPECT_TRUE(QFileInfo::exists(path("data/site/arc20261129.html")));
    EXPECT_FALSE(readFile("data/site/arc20261129.html").contains("bad day"));
    EXPECT_TRUE(QDir(path("tmp")).entryList({"wrentmp-*"}, QDir::Dirs).isEmpty()) << "no staging folder left";
}

TEST_F(WrenPublishTest, LitterOfAKilledRunIsCleanedUp)
{
    // A staging folder whose process is gone, one whose process runs, and a
    // temporary page a killed copy left in the site.
    for (const char *name : {"tmp/wrentmp-dead01", "tmp/wrentmp-live01"}) {
        ASSERT_TRUE(QDir().mkpath(path(name)));
        QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(QString::fromLatin1(name) + "/index.html", QByteArray(5000, 'x'));
    }
    writeFile("tmp/wrentmp-dead01/.owner", "999999999 1\n");
    QFile stat(QStringLiteral("/proc/self/stat"));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    const QByteArray line = stat.readAll();
    const QByteArray start = line.mid(line.lastIndexOf(')') + 2).split(' ').value(19);
    writeFile("tmp/wrentmp-live01/.owner", QByteArray::number(QCoreApplication::applicationPid()) + ' ' + start + '\n');
    writeFile("data/site/.index.html.wrentmp-AbC123", "");
    writeFile("data/site/.keep.me", "user's own hidden file");

    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("tmp/wrentmp-dead01")));
    EXPECT_TRUE(QFileInfo::exists(path("tmp/wrentmp-live01/index.html"))) << "a running owner keeps its folder";
    EXPECT_FALSE(QFileInfo::exists(path("data/site/.index.html.wrentmp-AbC123")));
    EXPECT_TRUE(QFileInfo::exists(path("data/site/.keep.me")));
}

// What others may plant on a shared machine: links in place of the state
// files and of a page, a lock file of garbage, a page name that would forge
// a log line. Nothing is written through a link, the start goes on, and the
// log says what it found in lines of their own.
TEST_F(WrenPublishTest, PlantedLinksGarbageLocksAndForgingNamesAreMetSafely)
{
    ASSERT_TRUE(QDir().mkpath(path("victim")));
    writeFile("victim/settings", readFile("data/wren.INI"));
    writeFile("victim/hosts", "somebody's file\n");
    writeFile("victim/tool", "#!/bin/sh\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path("victim/tool")).constData(), 04750), 0);
    ASSERT_TRUE(QFile::remove(path("data/wren.INI")));
    const QStringList links{"data/wren.INI", "data/Wren.hosts", "data/Recovery.json", "data/site/index.html"};
    const QStringList targets{"victim/settings", "victim/hosts", "victim/hosts", "victim/tool"};
    for (qsizetype i = 0; i < links.size(); ++i)
        ASSERT_TRUE(QFile::link(path(targets[i]), path(links[i])));
    writeFile("data/wren.lock", QByteArray("\x01\x02 not a lock\n"));
    {
        // Older than a lock another program is still writing.
        QFile lock(path("data/wren.lock"));
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    // A journal that sends only to folders never opens the upload record.
    writeFile("data/Transfer.DAT", "not a database");
    rawExec(path("data/Upload.DAT"), "UPDATE Upload SET LogFile = 'a' || char(13) || char(10) || 'Copy completed ...' "
                                     "WHERE LogFile = 'feed.xml'");

    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString(); // the forging name is a failed step
    for (const QString link : {"data/wren.INI", "data/Wren.hosts"})
        EXPECT_TRUE(run.out.contains(QStringLiteral("The file %1 was a link to %2: Wren put a file of its own in its "
                                                    "place, and left %2 as it was")
                                         .arg(path(link), path(targets[links.indexOf(link)]))))
            << run.out.join('\n').toStdString();
    for (const QString file : {"data/wren.INI", "data/Wren.hosts", "data/Recovery.json"}) {
        EXPECT_FALSE(QFileInfo(path(file)).isSymLink()) << file.toStdString();
        struct stat st {};
        ::lstat(QFile::encodeName(path(file)).constData(), &st);
        EXPECT_EQ(st.st_mode & 07777, mode_t(0600)) << file.toStdString();
    }
    EXPECT_EQ(readFile("data/Wren.hosts"), "somebody's file\n") << "what the link showed is kept";
    EXPECT_EQ(readFile("victim/hosts"), "somebody's file\n");
    EXPECT_EQ(readFile("victim/tool"), "#!/bin/sh\n");
    struct stat tool {
    }, page{};
    ::stat(QFile::encodeName(path("victim/tool")).constData(), &tool);
    EXPECT_EQ(tool.st_mode & 07777, mode_t(04750));
    ASSERT_EQ(::lstat(QFile::encodeName(path("data/site/index.html")).constData(), &page), 0);
    EXPECT_TRUE(S_ISREG(page.st_mode));
    EXPECT_EQ(page.st_mode & 07000, mode_t(0)) << "a page never takes a link target's setuid bit";
    EXPECT_TRUE(readFile("data/site/index.html").contains("</html>"));

    EXPECT_TRUE(run.out.contains(
        QStringLiteral("Invalid page name \"a\\r\\nCopy completed ...\" of upload 2: it holds a control character")))
        << run.out.join('\n').toStdString();
    EXPECT_FALSE(run.out.join('\n').contains(QStringLiteral("/a\r")));
    EXPECT_EQ(QDir(path("data/site")).entryList({"a\r*"}, QDir::Files), QStringList());
    EXPECT_EQ(readFile("data/Transfer.DAT"), "not a database");
    EXPECT_EQ(QDir(path("data")).entryList({"Transfer.DAT*"}, QDir::Files), QStringList{"Transfer.DAT"});

    // A lock of a process that is gone is taken over too.
    writeFile("data/wren.lock", "999999999\nwren-publish\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    EXPECT_EQ(publish().exitCode, 1);

    // A link to nowhere as the lock, and a pipe in place of a state file:
    // neither holds the run up or shuts it out.
    ASSERT_TRUE(QFile::link(path("nowhere/wren.lock"), path("data/wren.lock")));
    ASSERT_TRUE(QFile::remove(path("data/Wren.hosts")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("data/Wren.hosts")).constData(), 0600), 0);
    const ToolRun piped = publish();
    EXPECT_EQ(piped.exitCode, 1) << piped.err.toStdString();
    EXPECT_TRUE(piped.out.contains(QStringLiteral("The file %1 was a pipe or device, not a file: Wren put an "
                                                  "empty file of its own in its place")
                                       .arg(path("data/Wren.hosts"))))
        << piped.out.join('\n').toStdString();
    EXPECT_TRUE(QFileInfo(path("data/Wren.hosts")).isFile());
    ASSERT_TRUE(QDir().mkpath(path("data/wren.lock/inside")));
    const ToolRun folder = publish();
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_EQ(folder.err, QStringLiteral("wren-publish: The lock file %1 is a folder: remove it to use the data "
                                         "directory")
                              .arg(path("data/wren.lock")));
}

TEST_F(WrenPublishTest, ADamagedTableFileIsNamed)
{
    writeFile("data/Cookie.DAT", QByteArray(4096, 'z'));
    const ToolRun run = publish();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Cookie.DAT: file is not a database"))) << run.err.toStdString();
}

TEST_F(WrenPublishTest, AnswersVersionAndHelpOnStandardOutput)
{
    ToolRun run = runTool(WREN_PUBLISH_BIN, {"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringList{QStringLiteral("wren-publish " WREN_VERSION)});
    EXPECT_TRUE(run.err.isEmpty());

    run = runTool(WREN_PUBLISH_BIN, {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty());
    const QString help = run.out.join('\n');
    for (const char *option : {"--data-dir", "--journal", "--archives", "--timeout", "--trace-ftp", "--help",
                               "--version", "Exit status:", "  0  ", "  1  ", "  2  "})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    EXPECT_TRUE(siteFiles().isEmpty()) << "neither option publishes";
}

TEST_F(WrenPublishTest, WithoutDataDirItPublishesTheUsersDataFolder)
{
    // The build folder holds no data, so the user's folder under HOME is used.
    const QString home = path("home");
    const QString userData = home + "/.local/share/wren";
    ASSERT_TRUE(QDir().mkpath(home));
    ToolRun run = runTool(WREN_PUBLISH_BIN, {}, home);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("wren-publish: The data directory %1 does not exist").arg(userData));

    ASSERT_EQ(runTool(WREN_DEMO_BIN, {userData, "--today", "2026-12-08"}).exitCode, 0);
    run = runTool(WREN_PUBLISH_BIN, {}, home);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.last(), QStringLiteral("Completed Publish Process ..."));
    EXPECT_TRUE(QFileInfo::exists(userData + "/site/index.html"));
}

// The demo's feed read by a real feed parser (Debian's python3-feedparser).
TEST_F(WrenPublishTest, TheFeedParsesWithAFeedParser)
{
    if (!QFileInfo::exists("/usr/bin/python3") ||
        QProcess::execute("/usr/bin/python3", {"-c", "import feedparser"}) != 0)
        GTEST_SKIP() << "python3-feedparser is not installed (scripts/install-deps.sh)";
    // A title and a text that would break a feed unescaped: markup, an
    // ampersand, quotes, a control character and a byte that is not UTF-8.
    {
        Database db("feed");
        db.open(path("data"));
        db.run("INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, date('now', 'localtime'), "
               "'23:59:00', CAST(X'3C623E4669736820262063686970733C2F623E0120A3353C2F703E' AS TEXT), 'Ellen', "
               "'Fish & <chips> \"to go\"')");
        db.close();
    }
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin"); // entry times are local; the feed gives them in UTC
    const ToolRun run = publish();
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(siteFiles().contains("feed.xml"));

    QProcess parser;
    parser.start("/usr/bin/python3",
                 {QStringLiteral(WREN_TEST_DATA) + "/../publish/read_feed.py", path("data/site/feed.xml")});
    ASSERT_TRUE(parser.waitForFinished(60000));
    const QByteArray json = parser.readAllStandardOutput();
    ASSERT_EQ(parser.exitCode(), 0) << parser.readAllStandardError().toStdString();
    const QJsonObject feed = QJsonDocument::fromJson(json).object();
    std::cout << "feedparser: " << json.left(600).toStdString() << std::endl;
    EXPECT_EQ(feed["xml"], QJsonValue(true)) << feed["xml"].toString().toStdString();
    EXPECT_EQ(feed["bozo"], QJsonValue(false)) << feed["bozo_exception"].toString().toStdString();
    EXPECT_EQ(feed["version"].toString(), QStringLiteral("atom10"));
    EXPECT_EQ(feed["title"].toString(), QStringLiteral("Field Notes"));

    const QJsonArray entries = feed["entries"].toArray();
    const int onPage = readFile("data/site/index.html").count("<article class=\"entry\">");
    ASSERT_GT(onPage, 1);
    EXPECT_EQ(entries.size(), onPage) << "the feed holds the entries of the current page";
    Database db("check");
    db.open(path("data"));
    const QTimeZone berlin("Europe/Berlin");
    qint64 previous = std::numeric_limits<qint64>::max();
    // Links and identities are addresses of the web, never of this computer.
    const QString base = QStringLiteral("http://localhost:8000/");
    EXPECT_EQ(feed["updated"], entries.first().toObject()["updated"]) << "the feed changes with its newest entry";
    QStringList titles;
    int untitled = 0;
    for (const QJsonValue &value : entries) {
        const QJsonObject e = value.toObject();
        const QString link = e["link"].toString();
        ASSERT_TRUE(link.startsWith(base + "arc")) << link.toStdString();
        const QString id = link.section("#WrenID", 1);
        const auto row = db.firstRow("SELECT Title, eDate, eTime FROM Journal WHERE ID=" + id);
        ASSERT_TRUE(row.has_value()) << link.toStdString();
        titles << e["title"].toString();
        if (!row->value(0).toString().isEmpty()) {
            EXPECT_EQ(e["title"].toString(), row->value(0).toString());
        } else {
            // An entry without a title gets the start of its text, markup out, cut at a word.
            ++untitled;
            EXPECT_TRUE(e["title"].toString().endsWith(u'\u2026')) << e["title"].toString().toStdString();
            EXPECT_FALSE(e["title"].toString().contains(u'<')) << e["title"].toString().toStdString();
        }
        EXPECT_EQ(e["id"].toString(), link);
        const QDateTime local(QDate::fromString(row->value(1).toString(), Qt::ISODate),
                              QTime::fromString(row->value(2).toString(), "HH:mm:ss"), berlin);
        EXPECT_EQ(e["updated"].toInteger(), local.toSecsSinceEpoch()) << link.toStdString();
        EXPECT_LE(e["updated"].toInteger(), previous) << "newest first, as the page";
        previous = e["updated"].toInteger();
        EXPECT_FALSE(e["content"].toString().isEmpty());
    }
    // Which demo entries the feed holds follows the day of the week; some never have a title.
    EXPECT_GT(untitled, 0) << titles.join(u'|').toStdString();
    EXPECT_FALSE(titles.contains(QString())) << "every entry has a title in a feed reader";
    const QJsonObject first = entries.first().toObject();
    EXPECT_EQ(first["title"].toString(), QStringLiteral("Fish & <chips> \"to go\""));
    EXPECT_TRUE(first["content"].toString().contains(QStringLiteral("<b>Fish & chips</b>"))) << "escaped once";
    EXPECT_TRUE(first["content"].toString().contains(QStringLiteral("\u00A35"))) << "a Windows-1252 byte";
}
