#include "TestSupport.h"

#include "base/Settings.h"

#include <QDir>

class SettingsTest : public DataDirTest {
protected:
    Settings settings{path(QStringLiteral("wren.INI"))};
};

TEST_F(SettingsTest, AFileWithOnlyTheVersionGivesTheDefaults)
{
    writeFile("wren.INI", "[General]\nVersion=5.0\n");
    EXPECT_EQ(settings.state(), 0);
    EXPECT_EQ(settings.left(), 228);
    EXPECT_EQ(settings.top(), 151);
    EXPECT_EQ(settings.width(), 754);
    EXPECT_EQ(settings.height(), 568);
    EXPECT_TRUE(settings.editToolbar());
    EXPECT_TRUE(settings.mainToolbar());
    EXPECT_FALSE(settings.minimizeOnClose());
    EXPECT_TRUE(settings.liveSpell());
    EXPECT_EQ(settings.version(), QStringLiteral("5.0"));
    EXPECT_EQ(settings.cookieSeq(), 0);
    EXPECT_FALSE(settings.useWindowsLogin());
    EXPECT_TRUE(settings.autoinsertTag());
    EXPECT_FALSE(settings.randomCookies());
    EXPECT_EQ(settings.days(), QStringLiteral("7"));
    EXPECT_FALSE(settings.historyForPosts());
    EXPECT_TRUE(settings.historyDays());
    EXPECT_FALSE(settings.pasv());
    EXPECT_FALSE(settings.socks());
    EXPECT_EQ(settings.socksVersion(), QStringLiteral("SOCKS 4.0"));
    EXPECT_EQ(settings.proxyHost(), QString());
    EXPECT_EQ(settings.proxyPortText(), QStringLiteral("0"));
    EXPECT_EQ(settings.proxyPort(), 0);
    EXPECT_EQ(settings.authentication(), QStringLiteral("None"));
    EXPECT_EQ(settings.proxyUser(), QString());
    EXPECT_EQ(settings.proxyPassword(), QString());
}

TEST_F(SettingsTest, TheTwoVersionKeysAreUnrelated)
{
    settings.setVersion("5.0");
    settings.setSocksVersion("SOCKS 5.0");
    EXPECT_EQ(settings.version(), QStringLiteral("5.0"));
    EXPECT_EQ(settings.socksVersion(), QStringLiteral("SOCKS 5.0"));
    EXPECT_EQ(readFile("wren.INI"), QByteArray("[General]\nVersion=5.0\n\n[Firewall]\nVersion=SOCKS 5.0\n"));
}

TEST_F(SettingsTest, AJournalsEntryFormatIsOneKeyOfItsIdAndMissingMeansHtml)
{
    // As another tool would write it: the ID as key, the value in any case.
    writeFile("wren.INI", "[General]\nVersion=5.0\n[EntryFormat]\n3=markdown\n4=Textile\n");
    EXPECT_EQ(settings.entryFormat(3), EntryFormat::Markdown);
    EXPECT_EQ(settings.entryFormat(4), EntryFormat::Html);
    EXPECT_EQ(settings.entryFormat(5), EntryFormat::Html);
    settings.setEntryFormat(5, EntryFormat::Markdown);
    settings.setEntryFormat(3, EntryFormat::Html);
    EXPECT_EQ(readFile("wren.INI"),
              QByteArray("[General]\nVersion=5.0\n[EntryFormat]\n3=HTML\n4=Textile\n5=Markdown\n"));
}

TEST_F(SettingsTest, TheProxyPortReadsAsTextForTheDialogAndAsANumberForTheClient)
{
    writeFile("wren.INI", "[Firewall]\nPort=0x15\n");
    EXPECT_EQ(settings.proxyPortText(), QStringLiteral("0x15"));
    EXPECT_EQ(settings.proxyPort(), 21);
}

TEST_F(SettingsTest, AMissingLanguageNameKeepsTheLocaleName)
{
    writeFile("wren.INI", "[Language]\nShortMonth1=Jan.\n");
    EXPECT_EQ(settings.shortMonth(1), QStringLiteral("Jan."));
    EXPECT_EQ(settings.shortMonth(3), Settings::localeMonthName(3, false));
    EXPECT_EQ(settings.longDay(1), Settings::localeDayName(1, true));
    settings.setLongDay(1, "Sonntag");
    EXPECT_EQ(settings.longDay(1), QStringLiteral("Sonntag"));
}

TEST_F(SettingsTest, DaysCountFromSunday)
{
    // 1 is Sunday and 7 Saturday, whatever the locale calls them.
    const QLocale locale = QLocale::system();
    EXPECT_EQ(Settings::localeDayName(1, true), locale.dayName(Qt::Sunday, QLocale::LongFormat));
    EXPECT_EQ(Settings::localeDayName(7, true), locale.dayName(Qt::Saturday, QLocale::LongFormat));
}
