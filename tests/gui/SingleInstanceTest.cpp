// One running Wren per executable and data directory: the hand-over of
// arguments, and a start that replaces a running instance that hangs.

#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <future>

namespace {

QString uniqueName()
{
    return SingleInstance::nameFor(QCoreApplication::applicationFilePath(),
                                   QDir::temp().filePath(QString::number(QCoreApplication::applicationPid()) +
                                                         QString::number(QDateTime::currentMSecsSinceEpoch())));
}

// Runs a hand-over on another thread while this one serves the running instance.
bool handOverFromAnotherThread(const QString &name, const QStringList &arguments, int timeoutMs)
{
    auto done = std::async(std::launch::async, [=] { return SingleInstance(name).handOver(arguments, timeoutMs); });
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return done.get();
}

} // namespace

TEST(SingleInstanceTest, NamesDependOnExecutableAndDataDirectory)
{
    const QString a = SingleInstance::nameFor(QStringLiteral("/opt/wren/wren"), QStringLiteral("/home/a/journal"));
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(QStringLiteral("wren-")));
    EXPECT_TRUE(QFileInfo(a).isAbsolute());
    EXPECT_EQ(a, SingleInstance::nameFor(QStringLiteral("/opt/wren/wren"), QStringLiteral("/home/a/journal")));
    EXPECT_NE(a, SingleInstance::nameFor(QStringLiteral("/opt/wren/wren"), QStringLiteral("/home/b/journal")));
    EXPECT_NE(a, SingleInstance::nameFor(QStringLiteral("/opt/other/wren"), QStringLiteral("/home/a/journal")));
}

TEST(SingleInstanceTest, ArgumentsArriveCutToTenOfThreeHundredCharacters)
{
    const QString name = uniqueName();
    SingleInstance running(name);
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::argumentsReceived);

    QStringList arguments;
    for (int i = 1; i <= 11; ++i)
        arguments << QStringLiteral("arg%1").arg(i);
    arguments[2] = QString(400, u'x');
    EXPECT_TRUE(handOverFromAnotherThread(name, arguments, 5000));
    ASSERT_EQ(received.count(), 1);
    const QStringList got = received.at(0).at(0).toStringList();
    ASSERT_EQ(got.size(), 10);
    EXPECT_EQ(got[0], QStringLiteral("arg1"));
    EXPECT_EQ(got[2], QString(300, u'x'));
    EXPECT_EQ(got[9], QStringLiteral("arg10"));
}

TEST(SingleInstanceTest, AnInstanceThatNeverAnswersIsReplaced)
{
    const QString name = uniqueName();
    QLocalServer silent; // accepts connections and never answers, as a hung program
    ASSERT_TRUE(silent.listen(name));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(handOverFromAnotherThread(name, {QStringLiteral("x")}, 700));
    EXPECT_GE(timer.elapsed(), 600);

    SingleInstance replacement(name);
    EXPECT_TRUE(replacement.listen());
    QSignalSpy received(&replacement, &SingleInstance::argumentsReceived);
    EXPECT_TRUE(handOverFromAnotherThread(name, {}, 5000));
    EXPECT_EQ(received.count(), 1);
}

TEST(SingleInstanceTest, NobodyListeningMeansNoHandOver)
{
    EXPECT_FALSE(SingleInstance(uniqueName()).handOver({}, 2000));
}

// Real processes: the second start hands over and ends without a window or a
// staging directory; a first instance that hangs is replaced after ten seconds.
class TwoProcessesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (QTemporaryDir *d : {&dataDir, &tempA, &tempB, &tempC})
            ASSERT_TRUE(d->isValid());
        QFile ini(dataDir.filePath(QStringLiteral("wren.INI")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\r\nVersion=5.0\r\n");
    }
    void TearDown() override
    {
        for (QProcess *p : {&first, &second, &third}) {
            if (p->state() != QProcess::NotRunning) {
                ::kill(static_cast<pid_t>(p->processId()), SIGCONT);
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
    void launch(QProcess &process, const QTemporaryDir &tmp, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WREN_DATA_DIR"), dataDir.path());
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(WREN_BIN), arguments);
        ASSERT_TRUE(process.waitForStarted(5000));
    }
    static bool hasStaging(const QTemporaryDir &tmp)
    {
        return !QDir(tmp.path()).entryList({QStringLiteral("wrentmp-*")}, QDir::Dirs | QDir::Hidden).isEmpty();
    }
    // Waits until the instance has its staging directory and its window
    // answers a hand-over (of one argument, which tells this probe's message
    // from a later start's): only then is it fully started.
    void waitUntilRunning(const QTemporaryDir &tmp)
    {
        ASSERT_TRUE(QTest::qWaitFor([&tmp] { return hasStaging(tmp); }, 15000));
        const QString name =
            SingleInstance::nameFor(QFileInfo(QStringLiteral(WREN_BIN)).canonicalFilePath(), dataDir.path());
        ASSERT_TRUE(
            QTest::qWaitFor([&name] { return SingleInstance(name).handOver({QStringLiteral("probe")}, 500); }, 15000));
    }
    bool raisedMessageIn(QProcess &process, const char *message = "bringing the window to the front")
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            m_errors[&process] += process.readAllStandardError();
            if (m_errors[&process].contains(message))
                return true;
            process.waitForReadyRead(100);
        }
        return false;
    }

    QTemporaryDir dataDir, tempA, tempB, tempC;
    QProcess first, second, third;
    std::map<QProcess *, QByteArray> m_errors;
};

TEST_F(TwoProcessesTest, ASecondStartHandsOverAndEnds)
{
    launch(first, tempA);
    waitUntilRunning(tempA);
    launch(second, tempB, {QStringLiteral("one"), QStringLiteral("two")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(raisedMessageIn(first, "handed over 2 argument"));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(hasStaging(tempB)) << "the handing-over start never touches a staging directory";
}

TEST_F(TwoProcessesTest, AHungFirstInstanceIsReplacedAfterTenSeconds)
{
    launch(first, tempA);
    waitUntilRunning(tempA);
    ASSERT_EQ(::kill(static_cast<pid_t>(first.processId()), SIGSTOP), 0);

    QElapsedTimer timer;
    timer.start();
    launch(second, tempB);
    waitUntilRunning(tempB); // the second opened a window of its own
    EXPECT_GE(timer.elapsed(), 9000);
    EXPECT_EQ(second.state(), QProcess::Running);

    // The replacement is now the one that later starts hand over to.
    launch(third, tempC);
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitCode(), 0) << third.readAllStandardError().constData();
    EXPECT_TRUE(raisedMessageIn(second, "handed over 0 argument")) << m_errors[&second].constData();
}
