#include "TdlgOptions.h"

#include "ui/DialogPlacement.h"
#include "base/IniFile.h"
#include "ui/Prompt.h"
#include "base/Settings.h"
#include "publish/NameTables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void selectIgnoringCase(QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->setCurrentIndex(0);
}

} // namespace

TdlgOptions::TdlgOptions(Settings &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Wren Options"));
    setObjectName(QStringLiteral("dlgOptions"));
    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(generalTab(), QStringLiteral("General"));
    PageControl1->addTab(firewallTab(), QStringLiteral("Firewall"));
    PageControl1->addTab(languageTab(), QStringLiteral("Language"));

    auto *buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    CancelBtn = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons);
    DialogPlacement::fixSize(this);
    DialogPlacement::centreOnScreen(this);

    LoadOptions();
    chkLogin->setFocus(); // the first control, as Tab walks them
}

QWidget *TdlgOptions::generalTab()
{
    auto *tab = new QWidget;
    chkLogin = new QCheckBox(QStringLiteral("Use the system login name"));
    chkLogin->setToolTip(QStringLiteral("Use the system login name as the author of each entry"));
    chkTag = new QCheckBox(QStringLiteral("Auto-insert <p> tag"));
    chkTag->setToolTip(QStringLiteral("Automatically convert carriage returns (ENTER) to HTML paragraph tags?"));
    chkRandom = new QCheckBox(QStringLiteral("Random Cookies"));
    chkKeepArchives = new QCheckBox(QStringLiteral("Keep archive pages current at every publish"));
    chkKeepArchives->setToolTip(
        QStringLiteral("Publish Entries rebuilds every archive page whose entries changed, also entries written on "
                       "earlier days; off, it rebuilds only the weeks or months since the last publish"));
    edDays = new QLineEdit;
    edDays->setMaxLength(2);
    edDays->setMaximumWidth(40);
    edDays->setToolTip(QStringLiteral("Display posts for the given number of days"));
    rbPosts = new QRadioButton(QStringLiteral("with posts"));
    rbPosts->setToolTip(QStringLiteral("The days will include only days with pots"));
    rbAbs = new QRadioButton(QStringLiteral("absolute"));
    rbAbs->setToolTip(QStringLiteral("The number of days will be taken from the last day of posting"));

    auto *days = new QHBoxLayout;
    days->addWidget(new QLabel(QStringLiteral("Display Last")));
    days->addWidget(edDays);
    days->addWidget(new QLabel(QStringLiteral("days")));
    days->addWidget(rbPosts);
    days->addWidget(rbAbs);
    days->addStretch();
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(chkLogin);
    layout->addWidget(chkTag);
    layout->addWidget(chkRandom);
    layout->addLayout(days);
    layout->addWidget(chkKeepArchives);
    layout->addStretch();
    return tab;
}

QWidget *TdlgOptions::firewallTab()
{
    auto *tab = new QWidget;
    chkPasv = new QCheckBox(QStringLiteral("Enable Passive (PASV) file transfers (for some firewalls)"));
    chkSocks = new QCheckBox(QStringLiteral("Use SOCKS Proxy"));
    connect(chkSocks, &QCheckBox::clicked, this, &TdlgOptions::SetProxyEnabled);

    auto *grpProxy = new QGroupBox(QStringLiteral("Proxy Configuration"));
    cmbVersion = new QComboBox;
    cmbVersion->addItems({QStringLiteral("SOCKS 4.0"), QStringLiteral("SOCKS 4.0A"), QStringLiteral("SOCKS 5.0")});
    edHost = new QLineEdit;
    edPort = new QLineEdit;
    cmbAuth = new QComboBox;
    cmbAuth->addItems({QStringLiteral("None"), QStringLiteral("User ID/Password")});
    connect(cmbAuth, &QComboBox::currentIndexChanged, this, [this] { SetAuthEnabled(chkSocks->isChecked()); });
    edUser = new QLineEdit;
    edPass = new QLineEdit;
    edPass->setEchoMode(QLineEdit::Password);
    lblVersion = new QLabel(QStringLiteral("SOCKS Version"));
    lblHost = new QLabel(QStringLiteral("Proxy Address"));
    lblPort = new QLabel(QStringLiteral("Proxy Port"));
    lblAuth = new QLabel(QStringLiteral("Authentication Type"));
    lblUser = new QLabel(QStringLiteral("User ID"));
    lblPass = new QLabel(QStringLiteral("Password"));
    auto *form = new QFormLayout(grpProxy);
    form->addRow(lblVersion, cmbVersion);
    form->addRow(lblHost, edHost);
    form->addRow(lblPort, edPort);
    form->addRow(lblAuth, cmbAuth);
    form->addRow(lblUser, edUser);
    form->addRow(lblPass, edPass);
    for (QWidget *w :
         {static_cast<QWidget *>(lblVersion), static_cast<QWidget *>(cmbVersion), static_cast<QWidget *>(lblHost),
          static_cast<QWidget *>(edHost), static_cast<QWidget *>(lblPort), static_cast<QWidget *>(edPort),
          static_cast<QWidget *>(lblAuth), static_cast<QWidget *>(cmbAuth), static_cast<QWidget *>(lblUser),
          static_cast<QWidget *>(edUser), static_cast<QWidget *>(lblPass), static_cast<QWidget *>(edPass)})
        w->setEnabled(false);

    edConnections = new QSpinBox;
    edConnections->setRange(1, Settings::kMaxConnectionsPerSite);
    edConnections->setToolTip(QStringLiteral("How many files may go to one site at the same time; 1 sends them one "
                                             "after the other over a single connection"));
    auto *connectionsLabel = new QLabel(QStringLiteral("Connections per site"));
    connectionsLabel->setBuddy(edConnections);
    auto *connections = new QHBoxLayout;
    connections->addWidget(connectionsLabel);
    connections->addWidget(edConnections);
    connections->addStretch();

    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(chkPasv);
    layout->addLayout(connections);
    layout->addWidget(chkSocks);
    layout->addWidget(grpProxy);
    layout->addStretch();
    return tab;
}

QWidget *TdlgOptions::languageTab()
{
    auto *tab = new QWidget;
    auto *layout = new QHBoxLayout(tab);
    auto column = [&](const QString &label, QLineEdit *&edit, QPushButton *&put, QListWidget *&list) {
        auto *box = new QVBoxLayout;
        edit = new QLineEdit;
        put = new QPushButton(QStringLiteral("Put"));
        list = new QListWidget;
        // Wide enough for the longest name, not the list's default width.
        const int width = fontMetrics().horizontalAdvance(QStringLiteral("September")) * 3 / 2 + 16;
        list->setFixedWidth(width);
        edit->setFixedWidth(width);
        list->setFixedHeight((fontMetrics().height() + 4) * 12 + 8); // the twelve months
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->addWidget(new QLabel(label));
        box->addWidget(edit);
        box->addWidget(put);
        box->addWidget(list);
        layout->addLayout(box);
        QListWidget *l = list;
        QLineEdit *e = edit;
        connect(list, &QListWidget::itemClicked, this, [e](QListWidgetItem *item) { e->setText(item->text()); });
        connect(put, &QPushButton::clicked, this, [l, e] {
            if (QListWidgetItem *item = l->currentItem(); item && item->isSelected())
                item->setText(e->text());
        });
    };
    column(QStringLiteral("Short Day"), edSDay, btnSDay, lbSDay);
    column(QStringLiteral("Long Day"), edLDay, btnLDay, lbLDay);
    column(QStringLiteral("Short Month"), edSMon, btnSMon, lbSMon);
    column(QStringLiteral("Long Month"), edLMon, btnLMon, lbLMon);
    return tab;
}

void TdlgOptions::SetProxyEnabled(bool on)
{
    for (QWidget *w :
         {static_cast<QWidget *>(lblVersion), static_cast<QWidget *>(cmbVersion), static_cast<QWidget *>(lblHost),
          static_cast<QWidget *>(edHost), static_cast<QWidget *>(lblPort), static_cast<QWidget *>(edPort),
          static_cast<QWidget *>(lblAuth), static_cast<QWidget *>(cmbAuth)})
        w->setEnabled(on);
    SetAuthEnabled(on);
}

void TdlgOptions::SetAuthEnabled(bool on)
{
    const bool enabled = on && cmbAuth->currentIndex() == 1;
    for (QWidget *w : {static_cast<QWidget *>(lblUser), static_cast<QWidget *>(edUser), static_cast<QWidget *>(lblPass),
                       static_cast<QWidget *>(edPass)})
        w->setEnabled(enabled);
}

void TdlgOptions::LoadOptions()
{
    Settings &s = m_settings;
    chkLogin->setChecked(s.value(Setting::UseWindowsLogin));
    chkTag->setChecked(s.value(Setting::AutoinsertTag));
    chkRandom->setChecked(s.value(Setting::RandomCookies));
    chkKeepArchives->setChecked(s.value(Setting::KeepArchivesCurrent));
    edDays->setText(s.value(Setting::Days));
    rbPosts->setAutoExclusive(false);
    rbAbs->setAutoExclusive(false);
    rbPosts->setChecked(s.value(Setting::HistoryForPosts));
    rbAbs->setChecked(s.value(Setting::HistoryDays));
    if (rbAbs->isChecked())
        rbPosts->setChecked(false);
    rbPosts->setAutoExclusive(true);
    rbAbs->setAutoExclusive(true);

    chkPasv->setChecked(s.value(Setting::Pasv));
    edConnections->setValue(s.value(Setting::Connections));
    chkSocks->setChecked(s.value(Setting::Socks));
    selectIgnoringCase(cmbVersion, s.value(Setting::SocksVersion));
    edHost->setText(s.value(Setting::ProxyHost));
    edPort->setText(s.value(Setting::ProxyPort));
    selectIgnoringCase(cmbAuth, s.value(Setting::Authentication));
    edUser->setText(s.value(Setting::ProxyUser));
    edPass->setText(s.value(Setting::ProxyPassword));
    SetProxyEnabled(chkSocks->isChecked());

    NameTables names = NameTables::current();
    auto load = [&](QListWidget *list, auto &table, const NumberedTextSetting &key) {
        list->clear();
        for (int i = 1; i <= static_cast<int>(table.size()); ++i) {
            table[i - 1] = s.value(key, i, table[i - 1]);
            list->addItem(table[i - 1]);
        }
    };
    load(lbSDay, names.shortDays, Setting::ShortDay);
    load(lbLDay, names.longDays, Setting::LongDay);
    load(lbSMon, names.shortMonths, Setting::ShortMonth);
    load(lbLMon, names.longMonths, Setting::LongMonth);
    NameTables::install(names);
    setOptionValues();
}

void TdlgOptions::setOptionValues()
{
    // Text that is no whole number keeps the usual seven days.
    m_options.days = IniFile::parseInteger(edDays->text().trimmed()).value_or(7);
    m_useWindowsLogin = chkLogin->isChecked();
    m_options.autoinsertTag = chkTag->isChecked();
    m_options.historyDays = rbAbs->isChecked();
    m_options.randomCookies = chkRandom->isChecked();
    m_options.keepArchivesCurrent = chkKeepArchives->isChecked();
}

void TdlgOptions::SaveOptions()
{
    Settings &s = m_settings;
    s.setValue(Setting::UseWindowsLogin, chkLogin->isChecked());
    s.setValue(Setting::Days, edDays->text());
    s.setValue(Setting::RandomCookies, chkRandom->isChecked());
    s.setValue(Setting::HistoryForPosts, rbPosts->isChecked());
    s.setValue(Setting::HistoryDays, rbAbs->isChecked());
    s.setValue(Setting::AutoinsertTag, chkTag->isChecked());
    s.setValue(Setting::KeepArchivesCurrent, chkKeepArchives->isChecked());
    s.setValue(Setting::Pasv, chkPasv->isChecked());
    s.setValue(Setting::Connections, edConnections->value());
    s.setValue(Setting::Socks, chkSocks->isChecked());
    s.setValue(Setting::SocksVersion, cmbVersion->currentText());
    s.setValue(Setting::ProxyHost, edHost->text());
    s.setValue(Setting::ProxyPort, edPort->text());
    s.setValue(Setting::Authentication, cmbAuth->currentText());
    s.setValue(Setting::ProxyUser, edUser->text());
    s.setValue(Setting::ProxyPassword, edPass->text());

    NameTables names = NameTables::current();
    auto save = [&](QListWidget *list, auto &table, const NumberedTextSetting &key) {
        for (int i = 1; i <= static_cast<int>(table.size()) && i <= list->count(); ++i) {
            table[i - 1] = list->item(i - 1)->text();
            s.setValue(key, i, table[i - 1]);
        }
    };
    save(lbSDay, names.shortDays, Setting::ShortDay);
    save(lbLDay, names.longDays, Setting::LongDay);
    save(lbSMon, names.shortMonths, Setting::ShortMonth);
    save(lbLMon, names.longMonths, Setting::LongMonth);
    NameTables::install(names);
    setOptionValues();
}

void TdlgOptions::done(int result)
{
    if (result == QDialog::Accepted && !IniFile::parseInteger(edDays->text().trimmed())) {
        PageControl1->setCurrentIndex(0);
        edDays->setFocus();
        Prompt::inform(this, QStringLiteral("\"Display Last\" needs a whole number of days."));
        return;
    }
    QDialog::done(result);
}
