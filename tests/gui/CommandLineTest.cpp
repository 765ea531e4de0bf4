// The wren program started as a process: its informational options, which
// must work without any display, and where a start without WREN_DATA_DIR
// puts the data.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WrenProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(path("home")));
        ASSERT_TRUE(QDir().mkpath(path("tmp")));
    }
    void TearDown() override
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A clean environment: no data directory named, HOME in the test folder.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WREN_DATA_DIR"));
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.insert(QStringLiteral("HOME"), path("home"));
        env.insert(QStringLiteral("TMPDIR"), path("tmp"));
        return env;
    }
    void start(const QStringList &arguments, const QProcessEnvironment &env)
    {
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(WREN_BIN), arguments);
        ASSERT_TRUE(m_process.waitForStarted(5000));
    }
    // Waits up to 20 s for a condition while the process runs.
    template <typename Condition> bool waitFor(Condition condition) { return QTest::qWaitFor(condition, 20000); }

    QTemporaryDir m_dir;
    QProcess m_process;
};

} // namespace

TEST_F(WrenProcessTest, VersionAndHelpNeedNoDisplay)
{
    // With no display and the X11 platform forced, creating the application
    // object would fail; the options must be answered before that.
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    start({QStringLiteral("--version")}, env);
    ASSERT_TRUE(m_process.waitForFinished(10000));
    EXPECT_EQ(m_process.exitCode(), 0);
    EXPECT_EQ(m_process.readAllStandardOutput(), QByteArray("wren " WREN_VERSION "\n"));
    EXPECT_EQ(m_process.readAllStandardError(), QByteArray());

    start({QStringLiteral("--help")}, env);
    ASSERT_TRUE(m_process.waitForFinished(10000));
    EXPECT_EQ(m_process.exitCode(), 0);
    const QByteArray help = m_process.readAllStandardOutput();
    EXPECT_TRUE(help.startsWith("Usage: wren ")) << help.toStdString();
    for (const char *text : {"--help", "--version", "WREN_DATA_DIR", "XDG_DATA_HOME"})
        EXPECT_TRUE(help.contains(text)) << text;
    EXPECT_FALSE(QFileInfo::exists(path("home/.local"))) << "no data directory for an informational option";
}

TEST_F(WrenProcessTest, AStartWithoutDataDirectoryUsesTheUsersDataFolder)
{
    // The build folder holds no data, so it is no portable copy.
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    start({}, env);
    const QString data = path("home/.local/share/wren");
    EXPECT_TRUE(waitFor([&] {
        return QFileInfo::exists(data + "/Names.DAT") && QFileInfo::exists(data + "/wren.INI");
    })) << "the fresh start's tables and settings file";
    EXPECT_EQ(QFileInfo(data).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions())
        << "readable by its owner only";
}

TEST_F(WrenProcessTest, AFolderThatCannotBeMadeIsReportedOnStandardError)
{
    QFile blocker(path("home/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), path("home/file"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    start({}, env);
    // The same text then waits in a message box, for a start from the menu.
    QByteArray err;
    EXPECT_TRUE(waitFor([&] {
        err += m_process.readAllStandardError();
        const qsizetype at = err.indexOf("wren: ");
        return at >= 0 && err.indexOf('\n', at) > at;
    }));
    EXPECT_TRUE(err.contains("wren: Unable to create the data directory " + path("home/file/wren").toUtf8() + "\n"))
        << err.toStdString();
}
