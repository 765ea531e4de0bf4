#include "TestSupport.h"

#include "base/DataDirectory.h"
#include "base/WrenError.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::optional<QString> &value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qEnvironmentVariable(name);
        if (value)
            qputenv(name, value->toUtf8());
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            qputenv(m_name, m_old->toUtf8());
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    std::optional<QString> m_old;
};

} // namespace

// A program installed under <tmp>/usr/bin, a home folder under <tmp>/home, and
// nothing else set: each test adds what its case needs.
class DataDirectoryTest : public DataDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(path("usr/bin")));
        ASSERT_TRUE(QDir().mkpath(path("home")));
    }
    QString executable() const { return path("usr/bin/wren"); }
    QString home() const { return path("home"); }

    ScopedEnv m_dataDir{"WREN_DATA_DIR", std::nullopt};
    ScopedEnv m_xdg{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv m_home{"HOME", path("home")};
};

TEST_F(DataDirectoryTest, AnInstalledProgramKeepsItsDataInTheUsersFolder)
{
    const DataDirectory::Location location = DataDirectory::locate(executable());
    EXPECT_EQ(location.kind, DataDirectory::Kind::User);
    EXPECT_EQ(location.path, home() + "/.local/share/wren");
    EXPECT_EQ(DataDirectory::settingsFilePath(executable()), home() + "/.local/share/wren/wren.INI");

    {
        ScopedEnv xdg("XDG_DATA_HOME", path("xdg"));
        EXPECT_EQ(DataDirectory::path(executable()), path("xdg/wren"));
    }
    {
        // A relative XDG_DATA_HOME is invalid and ignored, as is an empty one.
        ScopedEnv xdg("XDG_DATA_HOME", QStringLiteral("relative/share"));
        EXPECT_EQ(DataDirectory::path(executable()), home() + "/.local/share/wren");
        ScopedEnv empty("XDG_DATA_HOME", QString());
        EXPECT_EQ(DataDirectory::path(executable()), home() + "/.local/share/wren");
    }
    // A program directory that is not writable is no portable copy, even
    // when it holds the data (skipped for root, who may write anywhere).
    writeFile("usr/bin/wren.INI", "[General]\nVersion=5.0\n");
    QFile::setPermissions(path("usr/bin"), QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(path("usr/bin")).isWritable()) {
        EXPECT_EQ(DataDirectory::locate(executable()).kind, DataDirectory::Kind::User);
    }
    QFile::setPermissions(path("usr/bin"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(DataDirectoryTest, TheUsersFolderIsCreatedForTheOwnerOnly)
{
    const QString dir = DataDirectory::path(executable());
    ASSERT_FALSE(QFileInfo::exists(dir));
    DataDirectory::ensureExists(dir);
    ASSERT_TRUE(QFileInfo(dir).isDir());
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFile::Permissions everyone = ownerOnly | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(dir).permissions() & everyone, ownerOnly);
    EXPECT_EQ(QFileInfo(home() + "/.local").permissions() & everyone, ownerOnly) << "missing parents too";

    // A second start leaves the directory and its contents alone.
    writeFile("home/.local/share/wren/wren.INI", "[General]\nVersion=5.0\n");
    DataDirectory::ensureExists(dir);
    EXPECT_TRUE(QFileInfo::exists(dir + "/wren.INI"));

    // A file where the directory should be is reported, not taken for it.
    writeFile("home/blocked", "x");
    EXPECT_THROW(DataDirectory::ensureExists(home() + "/blocked/wren"), WrenError);
    EXPECT_THROW(DataDirectory::ensureExists(home() + "/blocked"), WrenError);
}

TEST_F(DataDirectoryTest, APortableCopyKeepsItsDataBesideTheProgram)
{
    writeFile("usr/bin/wren.INI", "[General]\nVersion=5.0\n");
    DataDirectory::Location location = DataDirectory::locate(executable());
    EXPECT_EQ(location.kind, DataDirectory::Kind::Portable);
    EXPECT_EQ(location.path, path("usr/bin"));
    EXPECT_EQ(DataDirectory::settingsFilePath(executable()), path("usr/bin/wren.INI"));

    // The settings file counts under the program's own name only; the
    // headless publisher names the window's file.
    EXPECT_EQ(DataDirectory::locate(path("usr/bin/other")).kind, DataDirectory::Kind::User);
    EXPECT_EQ(DataDirectory::locate(path("usr/bin/wren-publish"), "wren.INI").kind, DataDirectory::Kind::Portable);

    // Any table file alone marks a portable copy too.
    QFile::remove(path("usr/bin/wren.INI"));
    ASSERT_EQ(DataDirectory::locate(executable()).kind, DataDirectory::Kind::User);
    for (const Schema::Table &table : Schema::tables()) {
        writeFile("usr/bin/" + table.file, "");
        EXPECT_EQ(DataDirectory::locate(executable()).kind, DataDirectory::Kind::Portable) << table.file.toStdString();
        QFile::remove(path("usr/bin/" + table.file));
    }
    writeFile("usr/bin/notes.txt", "");
    EXPECT_EQ(DataDirectory::locate(executable()).kind, DataDirectory::Kind::User) << "other files do not count";
}

TEST_F(DataDirectoryTest, TheEnvironmentWinsOverEveryOtherRule)
{
    writeFile("usr/bin/wren.INI", "[General]\nVersion=5.0\n");
    ScopedEnv dataDir("WREN_DATA_DIR", path("journal"));
    const DataDirectory::Location location = DataDirectory::locate(executable());
    EXPECT_EQ(location.kind, DataDirectory::Kind::Environment);
    EXPECT_EQ(location.path, path("journal"));
    EXPECT_EQ(DataDirectory::settingsFilePath(executable()), path("journal/wren.INI"));
    EXPECT_FALSE(QFileInfo::exists(path("journal"))) << "finding the directory creates nothing";
}

TEST_F(DataDirectoryTest, TheReadMeComesFromTheDataElseTheInstalledDocumentation)
{
    const QString data = path("home/.local/share/wren");
    ASSERT_TRUE(QDir().mkpath(data));
    EXPECT_EQ(DataDirectory::readMePath(data, executable()), QString()) << "neither exists";

    ASSERT_TRUE(QDir().mkpath(path("usr/share/doc/wren")));
    writeFile("usr/share/doc/wren/Wren.txt", "installed");
    EXPECT_EQ(DataDirectory::readMePath(data, executable()), path("usr/share/doc/wren/Wren.txt"));

    writeFile("home/.local/share/wren/Wren.txt", "own");
    EXPECT_EQ(DataDirectory::readMePath(data, executable()), data + "/Wren.txt");
}

TEST(DataDirectoryNames, SettingsFileNameFollowsTheExecutableName)
{
    EXPECT_EQ(DataDirectory::settingsFileName("/opt/wren/wren"), QStringLiteral("wren.INI"));
    EXPECT_EQ(DataDirectory::settingsFileName("/opt/wren/my.tool"), QStringLiteral("my.INI"));
    EXPECT_EQ(DataDirectory::settingsFileName("C:/Apps/journal.exe"), QStringLiteral("journal.INI"));
    EXPECT_EQ(DataDirectory::settingsFileName("/a.b/wren-publish"), QStringLiteral("wren-publish.INI"));
}
