#include "TestSupport.h"

#include "base/StagingDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

class StagingDirectoryTest : public DataDirTest {};

// Each owner has a folder of its own, marked with its process, and removes
// it whole at the end; links in it are removed, never followed.
TEST_F(StagingDirectoryTest, EachOwnerHasAPrivateFolderRemovedWholeAtTheEnd)
{
    StagingDirectory a = StagingDirectory::createPrivate(dir());
    StagingDirectory b = StagingDirectory::createPrivate(dir());
    EXPECT_NE(a.path(), b.path());
    EXPECT_TRUE(QFileInfo(a.path()).fileName().startsWith(QStringLiteral("wrentmp-")));
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(a.path()));
    EXPECT_TRUE(QFile(a.path() + QStringLiteral("/.owner")).open(QIODevice::ReadOnly));
    EXPECT_TRUE(readFile(QFileInfo(a.path()).fileName() + QStringLiteral("/.owner"))
                    .startsWith(QByteArray::number(QCoreApplication::applicationPid()) + ' '));

    QDir(dir()).mkdir("victim");
    writeFile("victim/precious.txt", "mine");
    const QString name = QFileInfo(a.path()).fileName();
    writeFile(name + "/index.html", "page");
    writeFile(name + "/.hidden", "also ours");
    QDir(a.path()).mkpath("sub/deeper");
    writeFile(name + "/sub/deeper/x.html", "x");
    ASSERT_TRUE(QFile::link(path("victim"), a.path() + QStringLiteral("/sub/link")));
    const QString gone = a.path();
    a.remove();
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(QFileInfo::exists(b.path())) << "the other owner's folder stays";
    EXPECT_EQ(readFile("victim/precious.txt"), "mine");
}

// A folder or link somebody planted under the name is neither used nor
// emptied; only folders of ours whose owner ended are removed.
TEST_F(StagingDirectoryTest, PlantedFoldersAndLinksAreLeftAlone)
{
    QDir(dir()).mkdir("victim");
    writeFile("victim/precious.txt", "mine");
    writeFile("victim/.owner", "999999999 1\n");
    ASSERT_TRUE(QFile::link(path("victim"), path("wrentmp-planted")));
    QDir(dir()).mkdir("wrentmp");
    writeFile("wrentmp/index.html", "an older version's folder");
    StagingDirectory staging = StagingDirectory::createPrivate(dir());
    EXPECT_TRUE(StagingDirectory::isPrivateDirectory(staging.path()));
    EXPECT_EQ(readFile("victim/precious.txt"), "mine");
    EXPECT_TRUE(QFileInfo(path("wrentmp-planted")).isSymLink());
    EXPECT_EQ(readFile("wrentmp/index.html"), "an older version's folder");
}
