// Publishing from the window to an FTP site: the window stays usable, the
// commands that would enter the session again are off, and a run can stop.

#include "WindowFixture.h"
#include "transfer/TestServers.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

namespace {

// A window on the demo journal whose upload goes to /www on an FTP server on 127.0.0.1.
class SiteWindowTest : public WindowTest {
protected:
    bool startOnSite(int port, const QString &login, const QString &password)
    {
        makeDemo(QDate(2026, 12, 8));
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Sites SET FTP='127.0.0.1', Port=%1, Login='%2', Password='%3', Active=1")
                   .arg(port)
                   .arg(login, password));
        db.run(QStringLiteral("UPDATE Upload SET Directory='/www'"));
        db.close();
        return start();
    }
};

class PublishingWindowTest : public SiteWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(startOnSite(server.port(), QStringLiteral("anonymous"), QStringLiteral("x")));
    }
    QStringList sentFiles() const { return QDir(server.root() + QStringLiteral("/www")).entryList(QDir::Files); }

    Vsftpd server;
};

// A server that takes a file's data and then holds back its reply for half a minute.
class HeldReplyWindowTest : public SiteWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start(QStringLiteral("hold=30")));
        ASSERT_TRUE(startOnSite(server.port(), QStringLiteral("alice"), QStringLiteral("apass")));
    }

    PyFtpd server;
};

// Types a word the way a keyboard does: through the event queue, so it reaches
// the editor only if the window's event loop runs.
void postTyping(QWidget *target, const QString &word)
{
    for (const QChar c : word) {
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(c)));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c)));
    }
}

} // namespace

TEST_F(HeldReplyWindowTest, TypingEchoesWhileTheServerWaitsAndStopEndsTheRunAtOnce)
{
    const QString oldPage = server.home(QStringLiteral("alice")) + QStringLiteral("/www/index.html");
    {
        QFile file(oldPage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the page as it was\n");
    }
    window->dbEntry->setFocus();
    window->dbEntry->moveCursor(QTextCursor::End);
    const QString before = window->dbEntry->toPlainText();

    enum class Step { WaitForFile, Typed, Stopped } step = Step::WaitForFile;
    QElapsedTimer clock, sinceStop;
    QString echoed;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!publishing())
            return;
        if (step == Step::WaitForFile && window->memLog->toPlainText().contains(QStringLiteral("Transferring file"))) {
            if (!clock.isValid())
                clock.start();
            if (clock.elapsed() > 500) { // the data is out; the server sits on its reply
                postTyping(window->dbEntry, QStringLiteral(" echo"));
                step = Step::Typed;
                clock.restart();
            }
        } else if (step == Step::Typed && clock.elapsed() > 300) {
            echoed = window->dbEntry->toPlainText();
            step = Step::Stopped;
            sinceStop.start();
            part<QToolButton>("btnStop").click();
        }
    });
    watch.start(20);
    QElapsedTimer whole;
    whole.start();
    action("actPublish")->trigger();
    const qint64 afterStop = sinceStop.isValid() ? sinceStop.elapsed() : -1;
    watch.stop();

    ASSERT_EQ(step, Step::Stopped) << "the run ended before Stop: " << window->memLog->toPlainText().toStdString();
    EXPECT_EQ(echoed, before + QStringLiteral(" echo")) << "the keys reached the editor while the server waited";
    EXPECT_GE(afterStop, 0);
    EXPECT_LT(afterStop, 1000) << "Stop ended the run within a second, on every connection";
    EXPECT_LT(whole.elapsed(), 20000);
    // The server holds back every file's reply: each file begun was cut short.
    const QString logText = window->memLog->toPlainText();
    const qsizetype cut = logText.count(QStringLiteral("Error in FTP process - Stopped by the user"));
    EXPECT_EQ(cut, logText.count(QStringLiteral("Transferring file "))) << logText.toStdString();
    EXPECT_GE(cut, 2) << "files went over several connections";
    // The pages whose files never began leave no line: each page's directory lines came with its file.
    EXPECT_EQ(logText.count(QStringLiteral("New directory ")), cut) << logText.toStdString();
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Stopped"));
    QFile file(oldPage);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("the page as it was\n")) << "the old page stays whole";
    EXPECT_EQ(QDir(QFileInfo(oldPage).path()).entryList(QDir::Files), QStringList{QStringLiteral("index.html")})
        << "the file cut short never reached its name";
}

TEST_F(HeldReplyWindowTest, ClosingTheWindowCutsTheHeldFileShortAndThenCloses)
{
    window->show();
    QElapsedTimer held, sinceClose;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!publishing() || sinceClose.isValid())
            return;
        if (!window->memLog->toPlainText().contains(QStringLiteral("Transferring file")))
            return;
        if (!held.isValid())
            held.start();
        else if (held.elapsed() > 500) {
            sinceClose.start();
            window->close();
        }
    });
    watch.start(20);
    action("actPublish")->trigger();
    const qint64 afterClose = sinceClose.isValid() ? sinceClose.elapsed() : -1;
    watch.stop();
    EXPECT_TRUE(window->isVisible()) << "the window waits for its run to end";
    QCoreApplication::processEvents();

    EXPECT_GE(afterClose, 0);
    EXPECT_LT(afterClose, 1000) << "closing cut the file on its way short";
    EXPECT_FALSE(window->isVisible()) << "and the window closed once the run had ended";
    const QString logText = window->memLog->toPlainText();
    EXPECT_EQ(logText.count(QStringLiteral("Error in FTP process - Stopped by the user")),
              logText.count(QStringLiteral("Transferring file ")));
}

TEST_F(PublishingWindowTest, ARunBlocksItsOwnCommandsAndShowsProgress)
{
    bool sawRun = false, publishOff = false, archiveOff = false, journalsOff = false;
    QString progress;
    QStringList said; // what the status bar said while the run waited
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, window.get(), [&] {
        if (!publishing())
            return;
        sawRun = true;
        publishOff = !action("actPublish")->isEnabled();
        archiveOff = !action("actArchive")->isEnabled();
        // Nothing may replace or add journals under the run.
        journalsOff = !action("actRestore")->isEnabled() && !action("actNewJournal")->isEnabled();
        for (QLabel *label : window->statusBar()->findChildren<QLabel *>()) {
            if (label->text().startsWith(QStringLiteral("Sending file ")))
                progress = label->text();
            if (!label->text().isEmpty() && !said.contains(label->text()))
                said << label->text();
        }
    });
    watch.start(0);
    action("actPublish")->trigger();
    watch.stop();
    // Files that arrive between two looks of the timer show only in the last word.
    for (QLabel *label : window->statusBar()->findChildren<QLabel *>())
        if (label->text().startsWith(QStringLiteral("Sending file ")))
            progress = label->text();
    EXPECT_TRUE(said.contains(QStringLiteral("Connecting to 127.0.0.1 ..."))) << said.join(u'|').toStdString();

    EXPECT_TRUE(sawRun) << "the window took events during the run";
    EXPECT_TRUE(publishOff);
    EXPECT_TRUE(archiveOff);
    EXPECT_TRUE(journalsOff);
    static const QRegularExpression allDone(QStringLiteral("^Sending file (\\d+) of \\1: "));
    EXPECT_TRUE(allDone.match(progress).hasMatch())
        << "the count ends at the files planned: " << progress.toStdString();
    EXPECT_TRUE(action("actPublish")->isEnabled());
    EXPECT_FALSE(publishing());
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
        if (publishing() && stops == 0) {
            ++stops;
            part<QToolButton>("btnStop").click();
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
        if (publishing() && firstValue == -2)
            firstValue = window->findChild<QProgressBar *>()->value();
    });
    stopper.start(0);
    action("actPublish")->trigger();
    stopper.stop();
    EXPECT_EQ(firstValue, 0);
}
