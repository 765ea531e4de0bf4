// The Options dialog on a settings file of its own.

#include "TestSupport.h"
#include "ui/Prompt.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "app/TdlgOptions.h"
#include "publish/FormatDate.h"
#include "publish/NameTables.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    OptionsDialogTest() : saved(NameTables::current()) {}
    ~OptionsDialogTest() override { NameTables::install(saved); }

    TdlgOptions &open()
    {
        dialog = std::make_unique<TdlgOptions>(settings);
        return *dialog;
    }
    QString file() const
    {
        QFile f(settings.path());
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    NameTables saved;
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("wren.INI"))};
    std::unique_ptr<TdlgOptions> dialog;
};

} // namespace

TEST_F(OptionsDialogTest, TheProxyControlsFollowTheTwoSwitches)
{
    TdlgOptions &d = open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Wren Options"));
    for (QWidget *w :
         {static_cast<QWidget *>(d.cmbVersion), static_cast<QWidget *>(d.edHost), static_cast<QWidget *>(d.edPort),
          static_cast<QWidget *>(d.cmbAuth), static_cast<QWidget *>(d.edUser), static_cast<QWidget *>(d.edPass),
          static_cast<QWidget *>(d.lblVersion), static_cast<QWidget *>(d.lblPass)})
        EXPECT_FALSE(w->isEnabled());

    d.chkSocks->click();
    EXPECT_TRUE(d.cmbVersion->isEnabled());
    EXPECT_TRUE(d.edHost->isEnabled());
    EXPECT_TRUE(d.edPort->isEnabled());
    EXPECT_TRUE(d.cmbAuth->isEnabled());
    EXPECT_FALSE(d.edUser->isEnabled());
    EXPECT_FALSE(d.edPass->isEnabled());

    d.cmbAuth->setCurrentIndex(1);
    EXPECT_TRUE(d.edUser->isEnabled());
    EXPECT_TRUE(d.lblPass->isEnabled());
    EXPECT_EQ(d.edPass->echoMode(), QLineEdit::Password);

    d.chkSocks->click();
    EXPECT_FALSE(d.cmbVersion->isEnabled());
    EXPECT_FALSE(d.edUser->isEnabled());
    EXPECT_FALSE(d.edPass->isEnabled());
}

TEST_F(OptionsDialogTest, StoredChoicesAreMatchedIgnoringCase)
{
    IniFile raw(settings.path());
    raw.writeString(QStringLiteral("Firewall"), QStringLiteral("Version"), QStringLiteral("socks 4.0a"));
    raw.writeString(QStringLiteral("Firewall"), QStringLiteral("Authentication"), QStringLiteral("nonsense"));
    settings.setValue(Setting::HistoryForPosts, true);
    settings.setValue(Setting::HistoryDays, false);
    TdlgOptions &d = open();
    EXPECT_EQ(d.cmbVersion->currentText(), QStringLiteral("SOCKS 4.0A"));
    EXPECT_EQ(d.cmbAuth->currentText(), QStringLiteral("None"));
    EXPECT_TRUE(d.rbPosts->isChecked());
    EXPECT_FALSE(d.options().historyDays);
}

TEST_F(OptionsDialogTest, BothHistoryKeysTrueChooseAbsoluteAndBothFalseNeither)
{
    settings.setValue(Setting::HistoryForPosts, true);
    settings.setValue(Setting::HistoryDays, true);
    EXPECT_TRUE(open().rbAbs->isChecked());
    EXPECT_FALSE(dialog->rbPosts->isChecked());
    settings.setValue(Setting::HistoryForPosts, false);
    settings.setValue(Setting::HistoryDays, false);
    open();
    EXPECT_FALSE(dialog->rbAbs->isChecked());
    EXPECT_FALSE(dialog->rbPosts->isChecked());
}

TEST_F(OptionsDialogTest, ANewLongDayNameReachesTheFileAndEveryDate)
{
    TdlgOptions &d = open();
    ASSERT_EQ(d.lbLDay->count(), 7);
    ASSERT_EQ(d.lbSMon->count(), 12);
    d.lbLDay->setCurrentRow(1);
    d.edLDay->setText(QStringLiteral("Lundi"));
    d.btnLDay->click();
    EXPECT_EQ(d.lbLDay->item(1)->text(), QStringLiteral("Lundi"));
    EXPECT_NE(NameTables::current().longDay(2), QStringLiteral("Lundi")) << "only OK installs the names";

    d.SaveOptions();
    EXPECT_TRUE(file().contains(QStringLiteral("LongDay2=Lundi")));
    EXPECT_EQ(NameTables::current().longDay(2), QStringLiteral("Lundi"));
    EXPECT_EQ(FormatDate(QStringLiteral("dddd d"), QDate(2026, 12, 7)), QStringLiteral("Lundi 7"));

    // The next start reads the name back and installs it.
    NameTables::install(saved);
    open();
    EXPECT_EQ(NameTables::current().longDay(2), QStringLiteral("Lundi"));
}

TEST_F(OptionsDialogTest, PutWithoutASelectionChangesNothing)
{
    TdlgOptions &d = open();
    QStringList before;
    for (int i = 0; i < d.lbSMon->count(); ++i)
        before << d.lbSMon->item(i)->text();
    d.lbSMon->setCurrentRow(-1);
    d.edSMon->setText(QStringLiteral("Xxx"));
    d.btnSMon->click();
    for (int i = 0; i < d.lbSMon->count(); ++i)
        EXPECT_EQ(d.lbSMon->item(i)->text(), before[i]);
}

TEST_F(OptionsDialogTest, CancelKeepsTheOldValuesButShowsTheTypedText)
{
    TdlgOptions &d = open();
    d.show();
    d.edDays->setText(QStringLiteral("30"));
    d.reject();
    EXPECT_EQ(d.options().days, 7);
    EXPECT_FALSE(file().contains(QStringLiteral("Days=30")));
    EXPECT_EQ(d.edDays->text(), QStringLiteral("30"));
}

TEST_F(OptionsDialogTest, OkRefusesDaysThatAreNoWholeNumber)
{
    TdlgOptions &d = open();
    d.show();
    d.edDays->setText(QStringLiteral("ab"));
    Prompt::setNextAnswer(QMessageBox::Ok);
    d.accept();
    EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
    EXPECT_EQ(Prompt::pendingAnswers(), 0);

    EXPECT_FALSE(d.chkKeepArchives->isChecked()) << "a settings file without the key keeps the old archive rule";
    d.edDays->setText(QStringLiteral("14"));
    d.chkRandom->setChecked(true);
    d.chkLogin->setChecked(true);
    d.chkKeepArchives->setChecked(true);
    d.accept();
    EXPECT_FALSE(d.isVisible());
    d.SaveOptions();
    EXPECT_EQ(d.options().days, 14);
    EXPECT_TRUE(d.options().randomCookies);
    EXPECT_TRUE(d.useWindowsLogin());
    EXPECT_TRUE(d.options().keepArchivesCurrent);
    EXPECT_EQ(settings.value(Setting::Days), QStringLiteral("14"));
    EXPECT_TRUE(settings.value(Setting::RandomCookies));
    EXPECT_TRUE(file().contains(QStringLiteral("KeepArchivesCurrent=1")));
}

TEST_F(OptionsDialogTest, FirewallSettingsAreWrittenAsShown)
{
    TdlgOptions &d = open();
    EXPECT_EQ(d.edConnections->value(), 4) << "four connections per site unless set";
    d.edConnections->setValue(2);
    d.chkSocks->setChecked(true);
    d.cmbVersion->setCurrentIndex(2);
    d.edHost->setText(QStringLiteral("127.0.0.1"));
    d.edPort->setText(QStringLiteral("1080"));
    d.cmbAuth->setCurrentIndex(1);
    d.edUser->setText(QStringLiteral("me"));
    d.edPass->setText(QStringLiteral("secret"));
    d.chkPasv->setChecked(true);
    d.SaveOptions();
    EXPECT_TRUE(settings.value(Setting::Socks));
    EXPECT_TRUE(settings.value(Setting::Pasv));
    EXPECT_EQ(settings.value(Setting::SocksVersion), QStringLiteral("SOCKS 5.0"));
    EXPECT_EQ(settings.value(Setting::ProxyHost), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(settings.value(Setting::ProxyPort), QStringLiteral("1080"));
    EXPECT_EQ(settings.value(Setting::Authentication), QStringLiteral("User ID/Password"));
    EXPECT_EQ(settings.value(Setting::ProxyUser), QStringLiteral("me"));
    EXPECT_EQ(settings.value(Setting::ProxyPassword), QStringLiteral("secret"));
    EXPECT_EQ(settings.value(Setting::Connections), 2);
}

TEST_F(OptionsDialogTest, TheDialogHasASensibleFixedSizeAndShowsEveryMonthName)
{
    TdlgOptions &d = open();
    d.show();
    QApplication::processEvents();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Wren Options"));
    EXPECT_LT(d.width(), 800) << "the four name lists side by side";
    EXPECT_EQ(d.minimumSize(), d.maximumSize()) << "fixed size";
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_LE((d.frameGeometry().center() - d.screen()->availableGeometry().center()).manhattanLength(), 2)
        << "centred on the screen";
    // The lists show their names whole: the longest month without a scroll bar.
    d.PageControl1->setCurrentIndex(2);
    QApplication::processEvents();
    ASSERT_EQ(d.lbLMon->count(), 12);
    EXPECT_FALSE(d.lbLMon->verticalScrollBar()->isVisible());
    EXPECT_GE(d.lbLMon->viewport()->width(), d.lbLMon->fontMetrics().horizontalAdvance(QStringLiteral("September")));
    d.reject();
}
