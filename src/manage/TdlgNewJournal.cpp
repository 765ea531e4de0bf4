#include "TdlgNewJournal.h"

#include "ui/DialogPlacement.h"
#include "ui/KeyboardFields.h"
#include "ui/Prompt.h"
#include "manage/RecordControls.h"
#include "publish/Designs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

TdlgNewJournal::TdlgNewJournal(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgNewJournal"));
    setWindowTitle(QStringLiteral("New Journal"));

    edName = new QLineEdit;
    edName->setMaxLength(50);
    edName->setPlaceholderText(QStringLiteral("My Journal"));
    edAuthor = new QLineEdit;
    edAuthor->setMaxLength(30);
    cmbArcType = new QComboBox;
    cmbArcType->addItems({QStringLiteral("Weekly"), QStringLiteral("Monthly")});
    cmbArcType->setToolTip(QStringLiteral("Older entries go to one archive page per week or per month"));
    cmbEntryFormat = new QComboBox;
    cmbEntryFormat->addItems({QStringLiteral("HTML"), QStringLiteral("Markdown")});
    cmbEntryFormat->setToolTip(QStringLiteral("How you write the entries: HTML, or Markdown that publishing turns "
                                              "into HTML; Journal Management can change it later"));
    auto *about = new QFormLayout;
    about->addRow(QStringLiteral("Journal name"), edName);
    about->addRow(QStringLiteral("Author"), edAuthor);
    about->addRow(QStringLiteral("Archive pages"), cmbArcType);
    about->addRow(QStringLiteral("Entries written in"), cmbEntryFormat);

    rbLocal = new QRadioButton(QStringLiteral("A folder on this computer"));
    rbRemote = new QRadioButton(QStringLiteral("A web server (SFTP, FTP with TLS or FTP)"));
    rbLocal->setChecked(true);
    edFolder = new QLineEdit;
    edFolder->setPlaceholderText(QStringLiteral("Full path of the folder"));
    btnFolder = new QPushButton(QStringLiteral("..."));
    btnFolder->setToolTip(QStringLiteral("Choose the folder"));
    btnFolder->setMaximumWidth(30);
    m_local = new QWidget;
    auto *localRow = new QHBoxLayout(m_local);
    localRow->setContentsMargins(24, 0, 0, 0);
    localRow->addWidget(edFolder, 1);
    localRow->addWidget(btnFolder);

    // The kinds the sites page offers, under the same names.
    cmbProtocol = new QComboBox;
    cmbProtocol->setToolTip(QStringLiteral("How to reach the site: SFTP over SSH, FTP over TLS, or plain FTP"));
    addSiteKinds(cmbProtocol);
    lblClear = new QLabel(QStringLiteral("With plain FTP the login and password cross the network in clear."));
    lblClear->setObjectName(QStringLiteral("lblClear"));
    edHost = new QLineEdit;
    edHost->setPlaceholderText(QStringLiteral("example.org"));
    edPort = new QSpinBox;
    edPort->setRange(1, 65535);
    edPort->setValue(21);
    edLogin = new QLineEdit;
    edPassword = new QLineEdit;
    edPassword->setEchoMode(QLineEdit::Password);
    edDirectory = new QLineEdit;
    edDirectory->setPlaceholderText(QStringLiteral("/public_html/journal"));
    m_remote = new QWidget;
    auto *remote = new QFormLayout(m_remote);
    remote->setContentsMargins(24, 0, 0, 0);
    auto *hostRow = new QHBoxLayout;
    hostRow->addWidget(cmbProtocol);
    hostRow->addWidget(edHost, 1);
    hostRow->addWidget(new QLabel(QStringLiteral("Port")));
    hostRow->addWidget(edPort);
    remote->addRow(QStringLiteral("Host"), hostRow);
    remote->addRow(QString(), lblClear);
    remote->addRow(QStringLiteral("Login"), edLogin);
    remote->addRow(QStringLiteral("Password"), edPassword);
    remote->addRow(QStringLiteral("Directory"), edDirectory);
    edWebSite = new QLineEdit;
    edWebSite->setPlaceholderText(QStringLiteral("https://example.org/journal/"));
    chkFeed = new QCheckBox(QStringLiteral("Publish an Atom feed for feed readers"));
    lblFeed = new QLabel;
    lblFeed->setWordWrap(true);
    lblFeed->setTextFormat(Qt::PlainText);
    // Room for the longest note, so that the dialog keeps its size as the address is typed.
    lblFeed->setMinimumHeight(lblFeed->fontMetrics().lineSpacing() * 3);

    auto *where = new QGroupBox(QStringLiteral("Publish to"));
    auto *whereLayout = new QVBoxLayout(where);
    whereLayout->addWidget(rbLocal);
    whereLayout->addWidget(m_local);
    whereLayout->addWidget(rbRemote);
    whereLayout->addWidget(m_remote);
    auto *webRow = new QFormLayout;
    webRow->addRow(QStringLiteral("Web address"), edWebSite);
    webRow->addRow(QString(), chkFeed);
    webRow->addRow(QString(), lblFeed);
    whereLayout->addLayout(webRow);

    lstDesign = new QListWidget;
    for (const Designs::Design &design : Designs::all()) {
        auto *item = new QListWidgetItem(design.name + QStringLiteral(" \u2014 ") + design.description);
        item->setData(Qt::UserRole, design.key);
        lstDesign->addItem(item);
    }
    lstDesign->setMaximumHeight(lstDesign->sizeHintForRow(0) * (lstDesign->count() + 1));
    auto *look = new QGroupBox(QStringLiteral("Look"));
    auto *lookLayout = new QVBoxLayout(look);
    lookLayout->addWidget(lstDesign);

    edFirst = new QPlainTextEdit;
    edFirst->setToolTip(QStringLiteral("Stored as the journal's first entry, so that there is a page to publish; "
                                       "leave it empty for none"));
    edFirst->setMaximumHeight(60);
    KeyboardFields::passTabOn(edFirst); // Tab moves on; Ctrl+Tab types a tab
    auto *first = new QGroupBox(QStringLiteral("First entry"));
    auto *firstLayout = new QVBoxLayout(first);
    firstLayout->addWidget(edFirst);

    btnCreate = new QPushButton(QStringLiteral("C&reate"));
    btnCreate->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("Everything made here can be changed in Journal Management.")), 1);
    buttons->addWidget(btnCreate);
    buttons->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(about);
    layout->addWidget(where);
    layout->addWidget(look);
    layout->addWidget(first);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(560);
    DialogPlacement::fixSize(this);
    DialogPlacement::centreOnScreen(this);

    connect(btnCreate, &QPushButton::clicked, this, &TdlgNewJournal::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbLocal, &QRadioButton::toggled, this, &TdlgNewJournal::follow);
    connect(edWebSite, &QLineEdit::textChanged, this, &TdlgNewJournal::followFeed);
    connect(chkFeed, &QCheckBox::toggled, this, &TdlgNewJournal::followFeed);
    connect(cmbProtocol, &QComboBox::currentIndexChanged, this, [this] {
        // The usual port follows the protocol unless the user chose another.
        const int port = edPort->value();
        if (port == 21 || port == 22 || port == 990)
            edPort->setValue(SiteAddress::defaultPort(kind()));
        lblClear->setVisible(kind() == SiteKind::Ftp);
    });
    // A scheme typed into the host sets the kind; an unknown one is refused at Create.
    connect(edHost, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.contains(QLatin1String("://")))
            cmbProtocol->setCurrentIndex(cmbProtocol->findData(static_cast<int>(SiteAddress::kindOf(text))));
    });
    connect(btnFolder, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Folder for the journal"), edFolder->text());
        if (!dir.isEmpty())
            edFolder->setText(QDir::toNativeSeparators(dir));
    });
    reset();
}

void TdlgNewJournal::reset(const QString &author)
{
    edName->clear();
    edAuthor->setText(author);
    cmbArcType->setCurrentIndex(0);
    cmbEntryFormat->setCurrentIndex(0);
    rbLocal->setChecked(true);
    edFolder->clear();
    cmbProtocol->setCurrentIndex(cmbProtocol->findData(static_cast<int>(SiteKind::Sftp)));
    edHost->clear();
    edPort->setValue(22);
    lblClear->setVisible(false);
    edLogin->clear();
    edPassword->clear();
    edDirectory->clear();
    edWebSite->clear();
    chkFeed->setChecked(true);
    lstDesign->setCurrentRow(0);
    edFirst->setPlainText(QStringLiteral("Hello! This is where my journal begins."));
    follow();
    edName->setFocus();
}

SiteKind TdlgNewJournal::kind() const
{
    return static_cast<SiteKind>(cmbProtocol->currentData().toInt());
}

void TdlgNewJournal::follow()
{
    m_local->setEnabled(rbLocal->isChecked());
    m_remote->setEnabled(!rbLocal->isChecked());
    followFeed();
}

void TdlgNewJournal::followFeed()
{
    if (!chkFeed->isChecked()) {
        lblFeed->setText(QStringLiteral("The web address is only needed for a feed."));
        return;
    }
    const QString base = JournalSetup::feedBase(answers());
    lblFeed->setText(
        base.isEmpty()
            ? QStringLiteral("A feed needs the address where the journal is read on the web (http:// or https://): "
                             "feed readers follow its links there. Without it the journal is made without a feed.")
            : QStringLiteral("The feed's links will start with %1").arg(base));
}

JournalAnswers TdlgNewJournal::answers() const
{
    JournalAnswers a;
    a.name = edName->text().trimmed();
    a.author = edAuthor->text().trimmed();
    a.monthly = cmbArcType->currentIndex() == 1;
    a.markdown = cmbEntryFormat->currentIndex() == 1;
    a.remote = rbRemote->isChecked();
    a.folder = QDir::fromNativeSeparators(edFolder->text().trimmed());
    a.kind = kind();
    a.host = edHost->text().trimmed();
    a.port = edPort->value();
    a.login = edLogin->text();
    a.password = edPassword->text();
    a.directory = edDirectory->text().trimmed();
    a.webSite = edWebSite->text().trimmed();
    a.feed = chkFeed->isChecked();
    a.firstEntry = edFirst->toPlainText();
    a.now = QDateTime::currentDateTime();
    if (QListWidgetItem *item = lstDesign->currentItem())
        a.design = item->data(Qt::UserRole).toString();
    return a;
}

void TdlgNewJournal::accept()
{
    JournalSetup::Field field = JournalSetup::Field::None;
    const QString trouble = JournalSetup::problem(answers(), &field);
    if (!trouble.isEmpty()) {
        Prompt::inform(this, trouble);
        // The answer the message is about takes the focus, ready to be typed.
        const std::pair<JournalSetup::Field, QWidget *> fields[] = {{JournalSetup::Field::Name, edName},
                                                                    {JournalSetup::Field::Design, lstDesign},
                                                                    {JournalSetup::Field::Host, edHost},
                                                                    {JournalSetup::Field::Port, edPort},
                                                                    {JournalSetup::Field::Folder, edFolder}};
        for (const auto &[which, widget] : fields) {
            if (which == field)
                widget->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    QDialog::accept();
}
