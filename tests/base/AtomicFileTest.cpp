// Files rewritten whole keep their mode; the files that hold passwords are
// made private when a start creates them and named when others can read them.

#include "base/AtomicFile.h"
#include "base/IniFile.h"
#include "base/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

TEST(AtomicFile, ARewriteKeepsTheFilesMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wren.INI"));
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0604)}) {
        AtomicFile::write(path, "[Firewall]\nPassword=secret\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        AtomicFile::write(path, "[Firewall]\nPassword=other\n");
        EXPECT_EQ(modeOf(path), mode);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "[Firewall]\nPassword=other\n");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wren.INI"});
    // The special bits never pass to the new file.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 06755), 0);
    AtomicFile::write(path, "again");
    EXPECT_EQ(modeOf(path), mode_t(0755));
}

TEST(AtomicFile, ALinkInTheTargetsPlaceIsReplacedAndWhatItPointsToStaysAsItWas)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("tool"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 04750), 0);
    const mode_t before = ::umask(022);
    for (const AtomicFile::Access access : {AtomicFile::Access::Usual, AtomicFile::Access::Private}) {
        const QString page = dir.filePath(QStringLiteral("index.html"));
        QFile::remove(page);
        ASSERT_TRUE(QFile::link(victim, page));
        // The same bytes behind the link do not make the link "the same file".
        EXPECT_TRUE(AtomicFile::writeUnlessSame(page, "<html></html>", AtomicFile::Durability::Replace, access));
        EXPECT_FALSE(QFileInfo(page).isSymLink());
        EXPECT_EQ(modeOf(page), access == AtomicFile::Access::Usual ? mode_t(0644) : mode_t(0600));
    }
    ::umask(before);
    EXPECT_EQ(modeOf(victim), mode_t(04750));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "<html></html>");
}

TEST(AtomicFile, ALongNameStillGetsATemporaryFileOfItsOwn)
{
    QTemporaryDir dir;
    // 250 bytes: the name the table allows, with a few of two bytes.
    const QString name = QString(125, u'p') + QString(60, QChar(0xE9)) + QStringLiteral(".html");
    ASSERT_EQ(QFile::encodeName(name).size(), 250);
    AtomicFile::write(dir.filePath(name), "long");
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "long");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
}

TEST(AtomicFile, ANewFileTakesTheUsualModeAndTheProcessMaskStays)
{
    QTemporaryDir dir;
    const mode_t before = ::umask(027);
    AtomicFile::write(dir.filePath(QStringLiteral("index.html")), "<html></html>");
    const mode_t during = ::umask(before);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("index.html"))), mode_t(0640));
    EXPECT_EQ(during, mode_t(027)) << "writing a file must not change the umask";
}

TEST(PrivateFiles, NewFilesArePrivateAndOpenOnesAreNamed)
{
    QTemporaryDir dir;
    const QString sites = dir.filePath(QStringLiteral("Sites.DAT"));
    const QString settings = dir.filePath(QStringLiteral("wren.INI"));
    QFile old(sites);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_EQ(::chmod(QFile::encodeName(sites).constData(), 0644), 0);

    const PrivateFiles files = PrivateFiles::of(dir.path(), settings);
    const QStringList lines = files.secure();
    EXPECT_EQ(modeOf(settings), mode_t(0600)) << "made by this start";
    EXPECT_EQ(modeOf(sites), mode_t(0644)) << "the user's own choice stays";
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("The file ") + sites + QStringLiteral(" holds passwords")));
    // The settings file, rewritten, stays private.
    AtomicFile::write(settings, "[Firewall]\nPassword=secret\n");
    EXPECT_EQ(modeOf(settings), mode_t(0600));
    EXPECT_TRUE(PrivateFiles::of(dir.path(), settings).secure().filter(settings).isEmpty());
}

TEST(PrivateFiles, ALinkToAPipeIsReplacedWithoutWaitingOnIt)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString hosts = dir.filePath(QStringLiteral("Wren.hosts"));
    ASSERT_TRUE(QFile::link(pipe, hosts));
    const QStringList lines = PrivateFiles::replaceLinks({hosts, dir.filePath(QStringLiteral("absent"))});
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("The file ") + hosts + QStringLiteral(" was a link to ") + pipe));
    EXPECT_FALSE(QFileInfo(hosts).isSymLink());
    EXPECT_EQ(QFileInfo(hosts).size(), 0);
    EXPECT_EQ(modeOf(hosts), mode_t(0600));
    // A settings file that is a pipe is read as empty, never waited on.
    const QString settings = dir.filePath(QStringLiteral("wren.INI"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    EXPECT_FALSE(IniFile(settings).hasKey(QStringLiteral("General"), QStringLiteral("Version")));
    EXPECT_EQ(AtomicFile::readRegular(pipe, AtomicFile::Links::Follow), QByteArray());
}
