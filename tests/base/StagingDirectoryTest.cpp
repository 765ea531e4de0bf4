#include "TestSupport.h"

#include "base/StagingDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

class StagingDirectoryTest : public DataDirTest {};

TEST_F(StagingDirectoryTest, IsCreatedPrivateAndRemovedAtTheEnd)
{
    StagingDirectory staging = StagingDirectory::prepare(dir());
    EXPECT_EQ(staging.path(), path("wrentmp"));
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(staging.path()));
    writeFile("wrentmp/page.html", "x");
    staging.remove();
    EXPECT_FALSE(QFileInfo::exists(path("wrentmp")));
}

TEST_F(StagingDirectoryTest, FilesOfAnEarlierRunGoButHiddenFilesStay)
{
    QDir(dir()).mkdir("wrentmp");
    ::chmod(QFile::encodeName(path("wrentmp")).constData(), 0755);
    writeFile("wrentmp/index.html", "old");
    writeFile("wrentmp/noextension", "old");
    writeFile("wrentmp/.hidden", "keep");
    QDir(path("wrentmp")).mkdir("sub");
    writeFile("wrentmp/sub/inner.html", "keep");

    StagingDirectory staging = StagingDirectory::prepare(dir());
    EXPECT_EQ(staging.path(), path("wrentmp"));
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(staging.path())) << "an open directory of ours is closed again";
    EXPECT_FALSE(QFileInfo::exists(path("wrentmp/index.html")));
    EXPECT_FALSE(QFileInfo::exists(path("wrentmp/noextension")));
    EXPECT_TRUE(QFileInfo::exists(path("wrentmp/.hidden")));
    EXPECT_TRUE(QFileInfo::exists(path("wrentmp/sub/inner.html")));
}

TEST_F(StagingDirectoryTest, APlantedLinkIsNeverFollowed)
{
    // Somebody else's directory, reached through a link named wrentmp.
    QDir(dir()).mkdir("victim");
    writeFile("victim/precious.txt", "mine");
    ASSERT_TRUE(QFile::link(path("victim"), path("wrentmp")));

    StagingDirectory staging = StagingDirectory::prepare(dir());
    EXPECT_NE(staging.path(), path("wrentmp"));
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(staging.path()));
    staging.remove();
    EXPECT_TRUE(QFileInfo::exists(path("victim/precious.txt")));
}

TEST_F(StagingDirectoryTest, APlantedFileIsLeftAlone)
{
    writeFile("wrentmp", "not a directory");
    StagingDirectory staging = StagingDirectory::prepare(dir());
    EXPECT_NE(staging.path(), path("wrentmp"));
    EXPECT_EQ(readFile("wrentmp"), QByteArray("not a directory"));
}

TEST_F(StagingDirectoryTest, PrivateDirectoriesAreDistinct)
{
    StagingDirectory a = StagingDirectory::createPrivate(dir());
    StagingDirectory b = StagingDirectory::createPrivate(dir());
    EXPECT_NE(a.path(), b.path());
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(a.path()));
}
