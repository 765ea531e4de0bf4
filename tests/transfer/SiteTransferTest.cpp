#include "TestSupport.h"

#include "transfer/SiteTransfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

class LocalTransferTest : public DataDirTest {
protected:
    void SetUp() override
    {
        QDir(dir()).mkpath("staging");
        QDir(dir()).mkpath("site");
    }
    QStringList log;
    SiteTransfer transfer{path("staging"), [this](const QString &line) { log << line; }};
};

TEST_F(LocalTransferTest, ACopyReplacesTheTargetAndLeavesNoTemporaryFile)
{
    writeFile("staging/index.html", "new page");
    writeFile("site/index.html", "old page, longer than the new one");
    transfer.SendFile(false, path("staging/index.html"), path("site"), "index.html");
    EXPECT_EQ(readFile("site/index.html"), QByteArray("new page"));
    EXPECT_EQ(QDir(path("site")).entryList(QDir::Files | QDir::Hidden), QStringList("index.html"));
    EXPECT_EQ(log, QStringList({"Copying file " + path("staging/index.html"), "Copy completed ..."}));
    EXPECT_EQ(transfer.failures(), 0);
}

TEST_F(LocalTransferTest, AnIdenticalTargetIsNotRewritten)
{
    writeFile("staging/index.html", "same bytes");
    writeFile("site/index.html", "same bytes");
    QFile target(path("site/index.html"));
    ASSERT_TRUE(target.open(QIODevice::ReadWrite));
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    ASSERT_TRUE(target.setFileTime(old, QFileDevice::FileModificationTime));
    target.close();
    const QDateTime before = QFileInfo(path("site/index.html")).lastModified();

    transfer.SendFile(false, path("staging/index.html"), path("site") + '/', "index.html");
    EXPECT_EQ(QFileInfo(path("site/index.html")).lastModified(), before) << "the page keeps its time";
    EXPECT_EQ(log.last(), QStringLiteral("Copy completed ..."));

    writeFile("staging/index.html", "same bytez");
    transfer.SendFile(false, path("staging/index.html"), path("site"), "index.html");
    EXPECT_EQ(readFile("site/index.html"), QByteArray("same bytez")) << "same size, other bytes: copied";
}

TEST_F(LocalTransferTest, AFailedCopySaysWhyInsteadOfCompleted)
{
    transfer.SendFile(false, path("staging/absent.html"), path("site"), "absent.html");
    EXPECT_EQ(log.last(), "Error copying file " + path("staging/absent.html") + " - No such file or directory");

    writeFile("staging/page.html", "x");
    writeFile("site/blocker", "a file where a directory should be");
    transfer.SendFile(false, path("staging/page.html"), path("site/blocker"), "page.html");
    EXPECT_TRUE(log.last().startsWith("Error copying file " + path("staging/page.html") + " - Unable to write to "))
        << log.last().toStdString();
    EXPECT_EQ(transfer.failures(), 2);
    EXPECT_FALSE(log.contains("Copy completed ..."));
}

TEST_F(LocalTransferTest, DirectoriesAreCheckedNotEntered)
{
    const QString before = QDir::currentPath();
    EXPECT_TRUE(transfer.ChangeSiteDir(false, path("site")));
    EXPECT_EQ(QDir::currentPath(), before) << "the working directory never changes";
    EXPECT_FALSE(transfer.ChangeSiteDir(false, path("nowhere/")));
    EXPECT_TRUE(transfer.ChangeSiteDir(false, "")) << "an empty directory changes nothing";
    EXPECT_EQ(log,
              QStringList({"Changing directory to " + path("site") + '/', "Changing directory to " + path("nowhere/"),
                           "Cannot find directory " + path("nowhere/")}));
}

TEST_F(LocalTransferTest, AnFtpSiteWithoutAnFtpClientFailsThatUploadOnly)
{
    UploadRow upload;
    upload.siteActive = true;
    upload.ftp = "ftp.example.org";
    transfer.SendUpload(upload, "index.html", false, PendingLists());
    EXPECT_EQ(log.last(), QStringLiteral("Could not connect to site ftp.example.org"));
    EXPECT_GT(transfer.failures(), 0);
}

TEST_F(LocalTransferTest, APageFromMemoryIsWrittenOnceAndLoggedAsACopy)
{
    UploadRow upload;
    upload.directory = path("site");
    writeFile("site/.index.html.wrentmp-AbC123", "left by a killed run");
    writeFile("site/.notes.wrentmp-x", "not ours");
    const QByteArray page = "<html>page</html>";
    transfer.SendUpload(upload, "index.html", false, PendingLists(), &page);
    EXPECT_EQ(readFile("site/index.html"), page);
    EXPECT_TRUE(QDir(path("staging")).isEmpty()) << "a local site needs no staging file";
    EXPECT_EQ(QDir(path("site")).entryList(QDir::Files | QDir::Hidden), QStringList({".notes.wrentmp-x", "index.html"}))
        << "the abandoned temporary file is gone, the other one stays";
    const QStringList once{"Changing directory to " + path("site") + '/', "Copying file " + path("staging/index.html"),
                           "Copy completed ..."};
    EXPECT_EQ(log, once) << "the same lines as a copy from the staging directory";

    QFile target(path("site/index.html"));
    ASSERT_TRUE(target.open(QIODevice::ReadWrite));
    ASSERT_TRUE(target.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    target.close();
    const QDateTime before = QFileInfo(path("site/index.html")).lastModified();
    transfer.SendUpload(upload, "index.html", false, PendingLists(), &page);
    EXPECT_EQ(QFileInfo(path("site/index.html")).lastModified(), before) << "an unchanged page keeps its time";
    EXPECT_EQ(log.mid(3), once);

    const QByteArray changed = "<html>PAGE</html>";
    transfer.SendUpload(upload, "index.html", false, PendingLists(), &changed);
    EXPECT_EQ(readFile("site/index.html"), changed);
    EXPECT_EQ(transfer.failures(), 0);

    transfer.requestStop();
    const QByteArray late = "late";
    transfer.SendUpload(upload, "late.html", false, PendingLists(), &late);
    EXPECT_FALSE(QFile::exists(path("site/late.html"))) << "nothing goes after a stop";
}

TEST_F(LocalTransferTest, CopiesInBackgroundLogWhatCopiesOneAfterTheOtherLog)
{
    QDir(dir()).mkpath("site/blocked.html"); // a folder where a page should go: that copy fails
    UploadRow upload;
    auto run = [&](SiteTransfer &into, const QString &site) {
        upload.directory = path(site);
        for (int n = 0; n < 40; ++n) {
            const QString name = n == 17 ? QStringLiteral("blocked.html") : QStringLiteral("p%1.html").arg(n);
            const QByteArray page = QByteArray("page ").append(QByteArray::number(n)).repeated(200);
            into.SendUpload(upload, name, false, PendingLists(), &page);
            if (n % 10 == 3)
                into.logFailure(QStringLiteral("a failure of the run itself after %1").arg(n));
        }
        into.EndSession(true);
    };
    QDir(dir()).mkpath("site2/blocked.html");
    QStringList background;
    int failures = 0;
    {
        SiteTransfer copies(path("staging"), [&](const QString &line) { background << line; });
        copies.setCopiesInBackground(true);
        run(copies, "site2");
        failures = copies.failures();
        for (int n : {0, 16, 18, 39})
            EXPECT_EQ(readFile(QStringLiteral("site2/p%1.html").arg(n)),
                      QByteArray("page ").append(QByteArray::number(n)).repeated(200))
                << "on disk once the session has ended";
    }
    run(transfer, "site");
    EXPECT_EQ(background.size(), log.size());
    for (QString &line : background)
        line.replace(path("site2"), path("site"));
    EXPECT_EQ(background, log);
    EXPECT_EQ(failures, transfer.failures());
    EXPECT_EQ(failures, 5) << "four of the run and the blocked copy";
    EXPECT_TRUE(log.filter("Error copying file " + path("staging/blocked.html")).size() == 1);
}

TEST(CountLevelsTest, CountsSlashesExceptForOneCharacter)
{
    EXPECT_EQ(SiteTransfer::CountLevels("/"), 0);
    EXPECT_EQ(SiteTransfer::CountLevels("/www"), 1);
    EXPECT_EQ(SiteTransfer::CountLevels("/www/log"), 2);
    EXPECT_EQ(SiteTransfer::CountLevels("/www/log/"), 3);
    EXPECT_EQ(SiteTransfer::CountLevels("w"), 0);
}
