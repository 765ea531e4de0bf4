#include "TestSupport.h"

#include "base/DataDirectoryLock.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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
    EXPECT_EQ(siteFiles(), QStringList({"arc20261101.html", "arc20261108.html", "archive.html"}));
    EXPECT_EQ(run.out.first(), QStringLiteral("Started Archival Process ..."));
    EXPECT_EQ(run.out.last(), QStringLiteral("Archival Process Completed!"));
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
