#include "JournalManagementLayout.h"

#include "editor/HtmlSyntaxHighlighter.h"
#include "manage/RecordControls.h"
#include "publish/Designs.h"
#include "transfer/SiteAddress.h"
#include "ui/KeyboardFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QLineEdit *lineEdit(const char *hint)
{
    auto *e = new QLineEdit;
    e->setToolTip(QString::fromLatin1(hint));
    e->setStatusTip(e->toolTip());
    return e;
}

QCheckBox *checkBox(const char *hint)
{
    auto *c = new QCheckBox;
    c->setToolTip(QString::fromLatin1(hint));
    return c;
}

QComboBox *dropDown(const char *hint)
{
    auto *c = new QComboBox;
    c->setToolTip(QString::fromLatin1(hint));
    return c;
}

} // namespace

QWidget *JournalManagementLayout::sitesPage()
{
    auto *page = new QWidget;
    dbSiteName = lineEdit("Descriptive name for FTP site or Local directory");
    DBEdit1 = lineEdit("URL or IP address of FTP site (but not directory path)");
    DBEdit2 = lineEdit("Port on which to access FTP site");
    DBEdit3 = lineEdit("User ID or login name to acess FTP site");
    DBEdit4 = lineEdit("Password to access FTP site");
    DBEdit4->setEchoMode(QLineEdit::Password);
    dbFTP = checkBox("Is this an FTP site or a Local directory?");
    // The protocol is the scheme in front of the host; the drop-down writes it
    // there, and follows the host as it is typed or read.
    cmbProtocol = new QComboBox;
    cmbProtocol->setToolTip(QStringLiteral("How to reach the site: plain FTP, FTP over TLS, or SFTP over SSH"));
    addSiteKinds(cmbProtocol);
    auto *hostRow = new QHBoxLayout;
    hostRow->addWidget(DBEdit1, 1);
    hostRow->addWidget(cmbProtocol);
    // A folder on this computer has no host, port or login: it shows the
    // folders its uploads copy into instead.
    lblFolder = new QLabel;
    lblFolder->setObjectName(QStringLiteral("lblFolder"));
    lblFolder->setWordWrap(true);
    lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dbFTP->setText(QStringLiteral("an FTP or SFTP server (unchecked: a folder on this computer)"));
    siteForm = new QFormLayout;
    siteForm->addRow(QStringLiteral("Site Name"), dbSiteName);
    siteForm->addRow(QStringLiteral("Host"), hostRow);
    siteForm->addRow(QStringLiteral("Port"), DBEdit2);
    siteForm->addRow(QStringLiteral("Login"), DBEdit3);
    siteForm->addRow(QStringLiteral("Password"), DBEdit4);
    siteForm->addRow(QStringLiteral("FTP Site"), dbFTP);
    siteForm->addRow(QStringLiteral("Folder"), lblFolder);
    auto *form = siteForm;
    navSites =
        new RecordNavigator({"Previous Site", "Next Site", "Add Site", "Delete Site", "Edit Site", "Save Changes"});
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(navSites);
    layout->addStretch(1);
    return page;
}

QWidget *JournalManagementLayout::templatesPage()
{
    auto *page = new QWidget;
    dbTmpName = lineEdit("Descriptive name for template");
    edRemote = lineEdit("Remote template file - the template is derived from this file and any changes to the file "
                        "will be reflected in the template");
    btnTemp = new QPushButton(QStringLiteral("..."));
    btnTemp->setToolTip(QStringLiteral("Browse for template file"));
    btnTemp->setMaximumWidth(30);
    dbTemplate = new QPlainTextEdit;
    dbTemplate->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dbTemplate->setLineWrapMode(QPlainTextEdit::NoWrap);
    KeyboardFields::passTabOn(dbTemplate); // Tab moves on; Ctrl+Tab types a tab
    new HtmlSyntaxHighlighter(dbTemplate->document());
    navTemplate = new RecordNavigator(
        {"Previous Template", "Next Template", "Add Template", "Delete Template", "Edit Template", "Save Changes"});
    btnDesign = new QPushButton(QStringLiteral("New from design ..."));
    btnDesign->setToolTip(QStringLiteral("Add the templates of a starter design for the current journal"));
    auto *designs = new QMenu(btnDesign);
    for (const Designs::Design &design : Designs::all()) {
        QAction *item = designs->addAction(design.name);
        item->setStatusTip(design.description);
        item->setData(design.key);
    }
    designs->addSeparator();
    designs->addAction(QStringLiteral("Atom feed"))->setData(QStringLiteral("feed"));
    btnDesign->setMenu(designs);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Template Name")), 0, 0);
    grid->addWidget(dbTmpName, 0, 1);
    grid->addWidget(navTemplate, 0, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Remote Template")), 1, 0);
    grid->addWidget(edRemote, 1, 1, 1, 2);
    grid->addWidget(btnTemp, 1, 3);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(new QLabel(QStringLiteral("Template")));
    templateRow->addStretch(1);
    templateRow->addWidget(btnDesign);
    layout->addLayout(templateRow);
    layout->addWidget(dbTemplate, 1);
    return page;
}

QWidget *JournalManagementLayout::journalsPage()
{
    auto *page = new QWidget;
    edName = lineEdit("Descriptive name for Journal/wren");
    chkRev = checkBox("Display the last entry first - at the top of the page");
    edDtFmt = lineEdit("The format for displaying entry dates");
    edTmFmt = lineEdit("The format for displaying entry times");
    cmbArcType = dropDown("How to archive old entries - a file per week or month");
    cmbArcType->setEditable(true);
    cmbArcType->addItems({QStringLiteral("Weekly"), QStringLiteral("Monthly")});
    edArcDtFmt = lineEdit("Date format for archive table of contents links");
    chkArcRev = checkBox("Whether to display archive links in reverse order or not");
    edURL = lineEdit("Site URL for browsing the journal from Wren");
    edAuthor =
        lineEdit("The name to be displayed as author if Use the system login name is not set under General Options");
    cmbEntryFormat = dropDown("How the entries of this journal are written: HTML, or Markdown that publishing turns "
                              "into HTML");
    cmbEntryFormat->addItems({QStringLiteral("HTML"), QStringLiteral("Markdown")});
    lblFmt = new QPlainTextEdit;
    lblFmt->setReadOnly(true);
    lblFmt->setFocusPolicy(Qt::NoFocus);
    lblFmt->setFrameShape(QFrame::NoFrame);
    lblFmt->setBackgroundRole(QPalette::Window);
    lblFmt->viewport()->setAutoFillBackground(false);
    lblFmt->setMinimumWidth(220);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Journal Name"), edName);
    form->addRow(QStringLiteral("Reverse-Order"), chkRev);
    form->addRow(QStringLiteral("Entry Date Format"), edDtFmt);
    form->addRow(QStringLiteral("Entry Time Format"), edTmFmt);
    form->addRow(QStringLiteral("Archive Type"), cmbArcType);
    form->addRow(QStringLiteral("Archive Date Format"), edArcDtFmt);
    form->addRow(QStringLiteral("Archive in Reverse"), chkArcRev);
    form->addRow(QStringLiteral("Site URL"), edURL);
    form->addRow(QStringLiteral("Author"), edAuthor);
    form->addRow(QStringLiteral("Entry Format"), cmbEntryFormat);
    navNames = new RecordNavigator(
        {"Previous Journal", "Next Journal", "Add Journal", "Delete Journal", "Edit Journal", "Save Journal"});
    btnAdopt = new QPushButton(QStringLiteral("Take in Entries ..."));
    btnAdopt->setObjectName(QStringLiteral("btnAdopt"));
    btnAdopt->setToolTip(QStringLiteral("Move the entries that belong to no journal into this journal"));
    btnAdopt->hide();
    auto *top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addWidget(lblFmt);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(navNames, 1);
    bottom->addWidget(btnAdopt);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    return page;
}

QWidget *JournalManagementLayout::uploadsPage()
{
    auto *page = new QWidget;
    DBGrid1 = new QTableWidget(0, 2);
    DBGrid1->setTabKeyNavigation(false); // Tab leaves the list; the arrows move in it
    DBGrid1->setHorizontalHeaderLabels({QStringLiteral("Journal"), QStringLiteral("Site")});
    DBGrid1->setColumnWidth(0, 99);
    DBGrid1->setColumnWidth(1, 100);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Both columns whole, and room for the vertical scroll bar.
    DBGrid1->setFixedWidth(99 + 100 + DBGrid1->frameWidth() * 2 +
                           DBGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);

    dbJournal = dropDown("Name of journal/wren for which you're defining a site");
    cmbSite = dropDown("FTP site or local directory to which this journal will be uploaded");
    cmbJTemp = dropDown("The template to be used for the journal");
    edJFile = lineEdit("Name of the HTML file displaying the journal entries");
    cmbATemp = dropDown("Template for the archive links file");
    edAFile = lineEdit("Name of archive entry table of contents file");
    dbArcExt = lineEdit("Extension used for all archived entry files");
    edDir = lineEdit("Full path if local drive or absolute directory location if an FTP server");
    chkActive = checkBox("Is this particular upload site for this journal active?");
    dbAutoArc = checkBox("Automatically create archive entries for this journal and this site?");
    edImgDir = lineEdit("Full path to image upload directory (if different than journal directory)");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Journal Name"), dbJournal);
    form->addRow(QStringLiteral("Site Name"), cmbSite);
    form->addRow(QStringLiteral("Journal Template"), cmbJTemp);
    form->addRow(QStringLiteral("Journal File"), edJFile);
    form->addRow(QStringLiteral("Archive Template"), cmbATemp);
    form->addRow(QStringLiteral("Archive File"), edAFile);
    form->addRow(QStringLiteral("Archive Extension"), dbArcExt);
    form->addRow(QStringLiteral("Full Path"), edDir);
    form->addRow(QStringLiteral("Active"), chkActive);
    form->addRow(QStringLiteral("Auto-archive"), dbAutoArc);
    form->addRow(QStringLiteral("Image Directory"), edImgDir);
    btnAdd = new QPushButton(QStringLiteral("&Add"));
    btnEdt = new QPushButton(QStringLiteral("&Edit"));
    btnSav = new QPushButton(QStringLiteral("&Save"));
    btnDel = new QPushButton(QStringLiteral("&Delete"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnAdd, btnEdt, btnSav, btnDel})
        buttons->addWidget(b);
    auto *right = new QVBoxLayout;
    right->addLayout(form);
    right->addLayout(buttons);
    right->addStretch(1);
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(DBGrid1);
    layout->addLayout(right, 1);
    return page;
}

void JournalManagementLayout::setupPages()
{
    pages = new QTabWidget;
    pages->addTab(sitesPage(), QStringLiteral("FTP Sites"));
    pages->addTab(templatesPage(), QStringLiteral("Templates"));
    pages->addTab(journalsPage(), QStringLiteral("Journals"));
    pages->addTab(uploadsPage(), QStringLiteral("Sites"));
}
