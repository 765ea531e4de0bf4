#include "TestSupport.h"

#include "base/Settings.h"
#include "transfer/Firewall.h"

#include <QDir>

class SettingsTest : public DataDirTest {
protected:
    Settings settings{path(QStringLiteral("wren.INI"))};
};

TEST_F(SettingsTest, AFileWithOnlyTheVersionGivesTheDefaults)
{
    writeFile("wren.INI", "[General]\nVersion=5.0\n");
    EXPECT_EQ(settings.value(Setting::State), 0);
    EXPECT_EQ(settings.value(Setting::Left), 228);
    EXPECT_EQ(settings.value(Setting::Top), 151);
    EXPECT_EQ(settings.value(Setting::Width), 754);
    EXPECT_EQ(settings.value(Setting::Height), 568);
    EXPECT_TRUE(settings.value(Setting::EditToolbar));
    EXPECT_TRUE(settings.value(Setting::MainToolbar));
    EXPECT_FALSE(settings.value(Setting::MinimizeOnClose));
    EXPECT_TRUE(settings.value(Setting::LiveSpell));
    EXPECT_EQ(settings.value(Setting::Version), QStringLiteral("5.0"));
    EXPECT_EQ(settings.value(Setting::CookieSeq), 0);
    EXPECT_FALSE(settings.value(Setting::UseWindowsLogin));
    EXPECT_TRUE(settings.value(Setting::AutoinsertTag));
    EXPECT_FALSE(settings.value(Setting::RandomCookies));
    EXPECT_EQ(settings.value(Setting::Days), QStringLiteral("7"));
    EXPECT_FALSE(settings.value(Setting::HistoryForPosts));
    EXPECT_TRUE(settings.value(Setting::HistoryDays));
    EXPECT_FALSE(settings.value(Setting::Pasv));
    EXPECT_FALSE(settings.value(Setting::Socks));
    EXPECT_EQ(settings.value(Setting::SocksVersion), QStringLiteral("SOCKS 4.0"));
    EXPECT_EQ(settings.value(Setting::ProxyHost), QString());
    EXPECT_EQ(settings.value(Setting::ProxyPort), QStringLiteral("0"));
    EXPECT_EQ(settings.value(Setting::Authentication), QStringLiteral("None"));
    EXPECT_EQ(settings.value(Setting::ProxyUser), QString());
    EXPECT_EQ(settings.value(Setting::ProxyPassword), QString());
    EXPECT_EQ(settings.value(Setting::Connections), 4);
    EXPECT_FALSE(settings.value(Setting::KeepArchivesCurrent));
    EXPECT_TRUE(settings.value(Setting::IgnoreCapitals));
    EXPECT_TRUE(settings.value(Setting::IgnoreDigits));
}

TEST_F(SettingsTest, TheTwoVersionKeysAreUnrelated)
{
    settings.setValue(Setting::Version, "5.0");
    settings.setValue(Setting::SocksVersion, "SOCKS 5.0");
    EXPECT_EQ(settings.value(Setting::Version), QStringLiteral("5.0"));
    EXPECT_EQ(settings.value(Setting::SocksVersion), QStringLiteral("SOCKS 5.0"));
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
    writeFile("wren.INI", "[Firewall]\nSocks=1\nPort=0x15\n");
    EXPECT_EQ(settings.value(Setting::ProxyPort), QStringLiteral("0x15"));
    EXPECT_EQ(LoadFirewall(settings).port, 21);
}

TEST_F(SettingsTest, AMissingLanguageNameKeepsTheLocaleName)
{
    writeFile("wren.INI", "[Language]\nShortMonth1=Jan.\n");
    EXPECT_EQ(settings.value(Setting::ShortMonth, 1), QStringLiteral("Jan."));
    EXPECT_EQ(settings.value(Setting::ShortMonth, 3), Settings::localeMonthName(3, false));
    EXPECT_EQ(settings.value(Setting::LongDay, 1), Settings::localeDayName(1, true));
    settings.setValue(Setting::LongDay, 1, "Sonntag");
    EXPECT_EQ(settings.value(Setting::LongDay, 1), QStringLiteral("Sonntag"));
}

TEST_F(SettingsTest, DaysCountFromSunday)
{
    // 1 is Sunday and 7 Saturday, whatever the locale calls them.
    const QLocale locale = QLocale::system();
    EXPECT_EQ(Settings::localeDayName(1, true), locale.dayName(Qt::Sunday, QLocale::LongFormat));
    EXPECT_EQ(Settings::localeDayName(7, true), locale.dayName(Qt::Saturday, QLocale::LongFormat));
}
