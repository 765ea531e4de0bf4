// Publishing from the window to an FTP site: the window stays usable, the
// commands that would enter the session again are off, and a run can stop.

#include "WindowFixture.h"
#include "transfer/TestServers.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QProgressBar>
#include <QTimer>

namespace {

class PublishingWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        makeDemo(QDate(2026, 12, 8));
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Sites SET FTP='127.0.0.1', Port=%1, Login='anonymous', Password='x', Active=1")
                   .arg(server.port()));
        db.run(QStringLiteral("UPDATE Upload SET Directory='/www'"));
        db.close();
        ASSERT_TRUE(start());
    }
    QStringList sentFiles() const { return QDir(server.root() + QStringLiteral("/www")).entryList(QDir::Files); }

    Vsftpd server;
};

} // namespace

TEST_F(PublishingWindowTest, ARunBlocksItsOwnCommandsAndShowsProgress)
{
    bool sawRun = false, publishOff = false, archiveOff = false;
    QString progress;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!window->isPublishing())
            return;
        sawRun = true;
        publishOff = !action("actPublish")->isEnabled();
        archiveOff = !action("actArchive")->isEnabled();
        for (QLabel *label : window->statusBar()->findChildren<QLabel *>())
            if (label->text().startsWith(QStringLiteral("Sending file ")))
                progress = label->text();
    });
    watch.start(0);
    action("actPublish")->trigger();
    watch.stop();

    EXPECT_TRUE(sawRun) << "the window took events during the run";
    EXPECT_TRUE(publishOff);
    EXPECT_TRUE(archiveOff);
    EXPECT_TRUE(progress.contains(QStringLiteral(" of "))) << progress.toStdString();
    EXPECT_TRUE(action("actPublish")->isEnabled());
    EXPECT_FALSE(window->isPublishing());
    EXPECT_TRUE(sentFiles().contains(QStringLiteral("index.html")));
    EXPECT_TRUE(sentFiles().contains(QStringLiteral("archive.html")));
    EXPECT_TRUE(window->memLog->toPlainText().contains(QStringLiteral("Connecting to Site 127.0.0.1")));
    EXPECT_TRUE(window->memLog->toPlainText().contains(QStringLiteral("Exiting site 127.0.0.1")));
}

TEST_F(PublishingWindowTest, StopEndsTheRunBeforeTheNextFile)
{
    QTimer stopper;
    int stops = 0;
    QObject::connect(&stopper, &QTimer::timeout, window.get(), [&] {
        if (window->isPublishing() && stops == 0) {
            ++stops;
            window->stopPublishing();
        }
    });
    stopper.start(0);
    action("actPublish")->trigger();
    stopper.stop();
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(window->memLog->toPlainText().contains(QStringLiteral("Stopped by the user")));
    EXPECT_LE(sentFiles().size(), 1) << "at most the file on its way when Stop came";
    EXPECT_TRUE(action("actPublish")->isEnabled());
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Stopped"));

    // The next run's bar starts empty, not where this one ended.
    int firstValue = -2;
    QObject::connect(&stopper, &QTimer::timeout, window.get(), [&] {
        if (window->isPublishing() && firstValue == -2)
            firstValue = window->findChild<QProgressBar *>()->value();
    });
    stopper.start(0);
    action("actPublish")->trigger();
    stopper.stop();
    EXPECT_EQ(firstValue, 0);
}
