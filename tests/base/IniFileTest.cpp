#include "TestSupport.h"

#include "base/IniFile.h"
#include "base/WrenError.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>

class IniFileTest : public DataDirTest {
protected:
    QString iniPath() const { return path(QStringLiteral("wren.INI")); }
};

TEST_F(IniFileTest, MissingFileGivesEveryDefault)
{
    IniFile ini(iniPath());
    EXPECT_EQ(ini.readString("General", "Version", ""), QString());
    EXPECT_EQ(ini.readString("Firewall", "Version", "SOCKS 4.0"), QStringLiteral("SOCKS 4.0"));
    EXPECT_EQ(ini.readInteger("Placement", "Top", 151), 151);
    EXPECT_TRUE(ini.readBool("Placement", "EditToolbar", true));
    EXPECT_FALSE(QFile::exists(iniPath())) << "reading must not create the file";
}

TEST_F(IniFileTest, BooleansAndIntegersFollowTheNumberRules)
{
    writeFile("wren.INI", "[Firewall]\nPASV=yes\nSocks=2\nPort=0x15\n[General]\nA=0X1f\nB=0x\nC=12abc\nD=-7\n"
                          "E=0xZZ\nF= 42 \nG=99999999999\nH=0\n");
    IniFile ini(iniPath());
    EXPECT_FALSE(ini.readBool("Firewall", "PASV", false)) << "yes is not a number: the default";
    EXPECT_TRUE(ini.readBool("Firewall", "PASV", true)) << "yes is not a number: the default";
    EXPECT_TRUE(ini.readBool("Firewall", "Socks", false)) << "any number but 0 is true";
    EXPECT_EQ(ini.readInteger("Firewall", "Port", 0), 21);
    EXPECT_EQ(ini.readString("Firewall", "Port", "0"), QStringLiteral("0x15")) << "text reads the value as it stands";
    EXPECT_EQ(ini.readInteger("General", "A", 0), 31);
    EXPECT_EQ(ini.readInteger("General", "B", 5), 5) << "\"0x\" alone is not longer than two characters";
    EXPECT_EQ(ini.readInteger("General", "C", 5), 5);
    EXPECT_EQ(ini.readInteger("General", "D", 5), -7);
    EXPECT_EQ(ini.readInteger("General", "E", 5), 5);
    EXPECT_EQ(ini.readInteger("General", "F", 5), 42);
    EXPECT_EQ(ini.readInteger("General", "G", 5), 5) << "out of the 32-bit range";
    EXPECT_FALSE(ini.readBool("General", "H", true));
}

TEST_F(IniFileTest, NamesIgnoreCaseAndTextIsCutTo2047Characters)
{
    const QByteArray longValue(3000, 'x');
    writeFile("wren.INI", "[general]\r\nversion=5.0\r\nLong=" + longValue + "\r\n[PLACEMENT]\r\nSTATE=1\r\n");
    IniFile ini(iniPath());
    EXPECT_EQ(ini.readString("General", "Version", ""), QStringLiteral("5.0"));
    EXPECT_EQ(ini.readInteger("Placement", "State", 0), 1);
    EXPECT_EQ(ini.readString("General", "Long", "").size(), 2047);
    EXPECT_FALSE(ini.hasKey("Placement", "Version")) << "a key belongs to its own section only";
}

TEST_F(IniFileTest, WritesReplaceInPlaceAndKeepEverythingElse)
{
    writeFile("wren.INI", "; kept comment\n[General]\nVersion=4.0\nOther=keep me\n\n[Placement]\nTop=10\n");
    IniFile ini(iniPath());
    ini.writeString("GENERAL", "version", "5.0");
    ini.writeBool("General", "LiveSpell", false);
    ini.writeInteger("Placement", "Left", -3);
    ini.writeString("Language", "ShortMonth1", "Jan.");

    EXPECT_EQ(readFile("wren.INI"), QByteArray("; kept comment\n[General]\nVersion=5.0\nOther=keep me\nLiveSpell=0\n\n"
                                               "[Placement]\nTop=10\nLeft=-3\n\n[Language]\nShortMonth1=Jan.\n"));
    // A second reader sees every write at once: nothing is cached.
    EXPECT_EQ(IniFile(iniPath()).readString("Language", "shortmonth1", ""), QStringLiteral("Jan."));
    EXPECT_FALSE(IniFile(iniPath()).readBool("General", "LiveSpell", true));
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files).size(), 1) << "no temporary file is left behind";
}

TEST_F(IniFileTest, AValueWithALineBreakStaysOnOneLine)
{
    IniFile ini(iniPath());
    ini.writeString("Firewall", "Host", "proxy\n[General]\nVersion=9");
    EXPECT_EQ(ini.readString("General", "Version", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.readString("Firewall", "Host", ""), QStringLiteral("proxy [General] Version=9"));
}

TEST_F(IniFileTest, ARefusedWriteNamesTheFileAndLeavesTheFileWhole)
{
    IniFile ini(iniPath());
    ini.writeString("General", "Version", "5.0");
    const QByteArray before = readFile("wren.INI");

    // The file system refuses anything longer than 64 bytes, even to root.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        ini.writeString("Firewall", "Host", QString(200, 'h'));
    } catch (const WrenError &error) {
        message = error.message();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(message, QStringLiteral("Unable to write to ") + iniPath());
    EXPECT_EQ(readFile("wren.INI"), before) << "a refused write never leaves half a file";
    EXPECT_EQ(QDir(dir()).entryList(QDir::Files).size(), 1);
}

TEST_F(IniFileTest, AWriteIntoAMissingDirectoryIsRefused)
{
    IniFile ini(path("no/such/dir/wren.INI"));
    try {
        ini.writeBool("General", "LiveSpell", true);
        ADD_FAILURE() << "the write should have been refused";
    } catch (const WrenError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to ") + path("no/such/dir/wren.INI"));
    }
}

TEST_F(IniFileTest, AWriteChangesOnlyItsOwnLine)
{
    // A Latin-1 name, a line with control bytes, CR LF line ends and a comment:
    // writing another key must leave every one of their bytes alone.
    const QByteArray before = QByteArray("[Language]\r\nLongMonth3=M\xe4rz\r\nOdd=\x01\x02\xff\xfe bytes\r\n"
                                         "; a comment \xa7\r\n[General]\r\nCookieSeq=4\r\nVersion=5.0\r\n",
                                         -1);
    writeFile("wren.INI", before);
    IniFile ini(iniPath());
    ini.writeInteger("General", "CookieSeq", 5);
    QByteArray expected = before;
    expected.replace("CookieSeq=4", "CookieSeq=5");
    EXPECT_EQ(readFile("wren.INI"), expected);

    EXPECT_EQ(ini.readBytes("Language", "LongMonth3").value(), QByteArray("M\xe4rz"));
    // A text read and written back as text keeps its bytes too.
    ini.writeString("Language", "LongMonth3", ini.readString("Language", "LongMonth3", QString()));
    EXPECT_EQ(readFile("wren.INI"), expected);

    ini.writeString("General", "New", QStringLiteral("x"));
    ini.writeString("Placement", "Top", QStringLiteral("7"));
    const QByteArray after = readFile("wren.INI");
    EXPECT_TRUE(after.startsWith(expected.left(expected.indexOf("[General]"))));
    EXPECT_TRUE(after.contains("Version=5.0\r\nNew=x\r\n")) << after.constData();
    EXPECT_TRUE(after.endsWith("\r\n[Placement]\r\nTop=7\r\n")) << after.constData();
}
