// Files the main window keeps beside the tables: the tool bar layout, the
// recovery file of unsaved text, and the firewall settings read for transfers.

#include "TestSupport.h"
#include "base/Settings.h"
#include "base/ToolbarLayout.h"
#include "editing/EntryRecovery.h"
#include "transfer/Firewall.h"

namespace {

const QStringList kKnown = {"actNew", "actSave", "actURL", "actBold", "actPublish"};

} // namespace

TEST_F(DataDirTest, ToolbarLayoutSurvivesARoundTripAndDropsUnknownCommands)
{
    EXPECT_EQ(ToolbarLayout::load(path(QStringLiteral("Wren.cfg")), kKnown), ToolbarLayout::defaults());

    ToolbarLayout layout{{"actPublish", "-", "actNew"}, {}};
    layout.save(path(QStringLiteral("Wren.cfg")));
    EXPECT_EQ(ToolbarLayout::load(path(QStringLiteral("Wren.cfg")), kKnown), layout) << "an empty bar stays empty";

    writeFile(QStringLiteral("Wren.cfg"), "[Toolbars]\r\nMainToolbar=actNew, actGone ,-,actSave\r\n");
    const ToolbarLayout read = ToolbarLayout::load(path(QStringLiteral("Wren.cfg")), kKnown);
    EXPECT_EQ(read.main, QStringList({"actNew", "-", "actSave"}));
    EXPECT_EQ(read.edit, ToolbarLayout::defaults().edit) << "a missing bar takes the defaults";
}

TEST_F(DataDirTest, RecoveryFileRoundTripAndDamage)
{
    EXPECT_FALSE(EntryRecovery::read(dir()));
    RecoveredEntry entry{42,
                         3,
                         QDate(2026, 2, 28),
                         QStringLiteral("Ünïcode title"),
                         QStringLiteral("line one\r\nline \"two\" <b>x</b>"),
                         QTime(7, 45, 3)};
    EntryRecovery::write(dir(), entry);
    const auto back = EntryRecovery::read(dir());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->id, 42);
    EXPECT_EQ(back->journal, 3);
    EXPECT_EQ(back->day, entry.day);
    EXPECT_EQ(back->title, entry.title);
    EXPECT_EQ(back->entry, entry.entry);
    EXPECT_EQ(back->begun, entry.begun);

    writeFile(QStringLiteral("Recovery.json"), "{\"id\": 1, \"entry\": \"half");
    EXPECT_FALSE(EntryRecovery::read(dir())) << "a damaged file offers nothing";
    EntryRecovery::remove(dir());
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dir())));
}

TEST_F(DataDirTest, FirewallSettingsFollowTheSocksSwitch)
{
    Settings s(path(QStringLiteral("wren.INI")));
    EXPECT_EQ(LoadFirewall(s), FirewallSettings());

    s.setValue(Setting::Pasv, true);
    s.setValue(Setting::ProxyHost, QStringLiteral("127.0.0.1"));
    s.setValue(Setting::ProxyPort, QStringLiteral("1080"));
    s.setValue(Setting::SocksVersion, QStringLiteral("socks 4.0a"));
    EXPECT_EQ(LoadFirewall(s).socks, FirewallSettings::Socks::None) << "a proxy counts only with Socks on";
    EXPECT_TRUE(LoadFirewall(s).passive);

    s.setValue(Setting::Socks, true);
    FirewallSettings f = LoadFirewall(s);
    EXPECT_EQ(f.socks, FirewallSettings::Socks::Version4A);
    EXPECT_EQ(f.host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(f.port, 1080);
    EXPECT_FALSE(f.authentication);

    s.setValue(Setting::SocksVersion, QStringLiteral("SOCKS 4.0"));
    EXPECT_EQ(LoadFirewall(s).socks, FirewallSettings::Socks::Version4);
    s.setValue(Setting::SocksVersion, QStringLiteral("SOCKS 5.0"));
    s.setValue(Setting::Authentication, QStringLiteral("User ID/Password"));
    s.setValue(Setting::ProxyUser, QStringLiteral("me"));
    s.setValue(Setting::ProxyPassword, QStringLiteral("pw"));
    f = LoadFirewall(s);
    EXPECT_EQ(f.socks, FirewallSettings::Socks::Version5);
    EXPECT_TRUE(f.authentication);
    EXPECT_EQ(f.user, QStringLiteral("me"));
    EXPECT_EQ(f.password, QStringLiteral("pw"));
}
