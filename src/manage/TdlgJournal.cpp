#include "TdlgJournal.h"

#include "manage/JournalSetup.h"
#include "ui/DialogPlacement.h"
#include "ui/Prompt.h"
#include "data/Statements.h"
#include "base/WrenError.h"
#include "publish/Designs.h"
#include "transfer/SiteAddress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The names and IDs of a table's rows, in its order, for a drop-down.
void fillLookup(QComboBox *combo, const TableHandle &table)
{
    combo->clear();
    for (int row = 0; row < table.recordCount(); ++row)
        combo->addItem(table.valueAt(row, QStringLiteral("Name")).toString(),
                       table.valueAt(row, QStringLiteral("ID")).toInt());
}

QString nameOf(const TableHandle &table, const QVariant &id)
{
    if (id.isNull())
        return QString();
    for (int row = 0; row < table.recordCount(); ++row) {
        if (table.valueAt(row, QStringLiteral("ID")).toInt() == id.toInt())
            return table.valueAt(row, QStringLiteral("Name")).toString();
    }
    return QString();
}

bool pending(const TableHandle &table)
{
    return table.state() == TableHandle::State::Edit || table.state() == TableHandle::State::Insert;
}

} // namespace

TdlgJournal::TdlgJournal(Database &db, QWidget *parent)
    : QDialog(parent), tblSites(db, QStringLiteral("Sites")), tblTemplate(db, QStringLiteral("Templates")),
      tblUploads(db, QStringLiteral("Upload")), tblNames(db, QStringLiteral("Names")), m_db(db)
{
    setObjectName(QStringLiteral("dlgJournal"));
    setWindowTitle(QStringLiteral("Journal Management"));
    auto guardFn = [this](const std::function<void()> &action) { guard(action); };
    m_sites = std::make_unique<FieldBinder>(tblSites, guardFn);
    m_templates = std::make_unique<FieldBinder>(tblTemplate, guardFn);
    m_names = std::make_unique<FieldBinder>(tblNames, guardFn);
    m_uploads = std::make_unique<FieldBinder>(tblUploads, guardFn);

    setupPages();
    wirePages();

    auto *btnOK = new QPushButton(QStringLiteral("&OK"));
    btnOK->setDefault(true);
    auto *btnCancel = new QPushButton(QStringLiteral("&Cancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(bottom);
    resize(567, 443);
    DialogPlacement::centreOnScreen(this);
    dbSiteName->setFocus(); // the first field of the first page

    // Opened in this order, once, for the whole run.
    tblSites.open();
    tblTemplate.open();
    tblUploads.open();
    tblNames.open();
    // A journal's entry format is stored with its row; a new row that is
    // dropped takes its choice with it.
    tblNames.afterPost = [this] {
        const qlonglong id = tblNames.value(QStringLiteral("ID")).toLongLong();
        if (const auto added = m_formats.find(-1); added != m_formats.end()) {
            m_formats[id] = added->second;
            m_formats.erase(added);
        }
        storeEntryFormat(id);
    };
    tblNames.afterScroll = [this] { m_formats.erase(-1); };
    tblNames.afterInsert = [this] { m_formats.erase(-1); };
    lblFmt->setPlainText(formatHelp().join(u'\n'));
    showAll();
}

TdlgJournal::~TdlgJournal() = default;

QStringList TdlgJournal::formatHelp()
{
    return {QStringLiteral("dd - Day as numbers"),
            QStringLiteral("ddd - Day as abbreviation"),
            QStringLiteral("dddd - Day as full name"),
            QStringLiteral("mm - Month as numbers"),
            QStringLiteral("mmm - Month as abbreviation"),
            QStringLiteral("mmmm - Month as full name"),
            QStringLiteral("yy - Year as two digits"),
            QStringLiteral("yyyy - Year as four digits"),
            QStringLiteral("hh - Hour with leading zero"),
            QStringLiteral("h - Hour with no leading zero"),
            QStringLiteral("mm - Minutes with leading zero"),
            QStringLiteral("m - Minutes with no leading zero"),
            QStringLiteral("ss - Seconds with leading zero"),
            QStringLiteral("s - Seconds with no leading zero"),
            QStringLiteral("am/pm - Use 12 hour clock")};
}

void TdlgJournal::wirePages()
{
    // The sites page.
    connect(cmbProtocol, &QComboBox::activated, this, [this](int index) {
        const QString host =
            SiteAddress::withKind(DBEdit1->text(), static_cast<SiteKind>(cmbProtocol->itemData(index).toInt()));
        if (host == DBEdit1->text())
            return;
        DBEdit1->setText(host);
        Q_EMIT DBEdit1->textEdited(host);
    });
    connect(DBEdit1, &QLineEdit::textChanged, this, [this](const QString &host) {
        cmbProtocol->setCurrentIndex(cmbProtocol->findData(static_cast<int>(SiteAddress::kindOf(host))));
    });
    connect(dbFTP, &QCheckBox::toggled, this, &TdlgJournal::showSiteKind);
    connect(navSites, &RecordNavigator::clicked, this, &TdlgJournal::siteAction);
    m_sites->text(dbSiteName, QStringLiteral("Name"));
    m_sites->text(DBEdit1, QStringLiteral("FTP"));
    m_sites->integer(DBEdit2, QStringLiteral("Port"));
    m_sites->text(DBEdit3, QStringLiteral("Login"));
    m_sites->text(DBEdit4, QStringLiteral("Password"));
    m_sites->check(dbFTP, QStringLiteral("Active"));
    // A login typed into the host would reach every line that names the host:
    // it is refused here, before it is stored, as a publish would refuse it.
    m_sites->validate([this] {
        const QString host = tblSites.value(QStringLiteral("FTP")).toString();
        if (!tblSites.value(QStringLiteral("Active")).toBool() || !host.contains(u'@'))
            return;
        DBEdit1->setFocus();
        throw WrenError(SiteAddress::parse(host, 0).problem + u'.');
    });
    // The templates page.
    connect(navTemplate, &RecordNavigator::clicked, this, &TdlgJournal::templateAction);
    connect(btnTemp, &QPushButton::clicked, this, &TdlgJournal::chooseTemplateFile);
    for (QAction *item : btnDesign->menu()->actions()) {
        if (!item->isSeparator())
            connect(item, &QAction::triggered, this, [this, key = item->data().toString()] { newFromDesign(key); });
    }
    m_templates->text(dbTmpName, QStringLiteral("Name"));
    m_templates->text(edRemote, QStringLiteral("FileDir"));
    m_templates->memo(dbTemplate, QStringLiteral("Template"));
    // The journals page.
    connect(cmbEntryFormat, &QComboBox::activated, this, &TdlgJournal::cmbEntryFormatChange);
    connect(navNames, &RecordNavigator::clicked, this, &TdlgJournal::journalAction);
    connect(btnAdopt, &QPushButton::clicked, this, &TdlgJournal::adoptEntries);
    m_names->text(edName, QStringLiteral("Name"));
    m_names->check(chkRev, QStringLiteral("Reverse"));
    m_names->text(edDtFmt, QStringLiteral("DtFormat"));
    m_names->text(edTmFmt, QStringLiteral("TmFormat"));
    m_names->comboText(cmbArcType, QStringLiteral("ArcType"));
    m_names->text(edArcDtFmt, QStringLiteral("ArcDtFormat"));
    m_names->check(chkArcRev, QStringLiteral("ArcReverse"));
    m_names->text(edURL, QStringLiteral("WebSite"));
    m_names->text(edAuthor, QStringLiteral("Author"));
    // The uploads page.
    // However the current line changes (click, keys), that upload becomes current.
    connect(DBGrid1, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_filling)
            selectUpload(row);
    });
    connect(btnAdd, &QPushButton::clicked, this, &TdlgJournal::btnAddClick);
    connect(btnEdt, &QPushButton::clicked, this, &TdlgJournal::btnEdtClick);
    connect(btnSav, &QPushButton::clicked, this, &TdlgJournal::btnSavClick);
    connect(btnDel, &QPushButton::clicked, this, &TdlgJournal::btnDelClick);
    m_uploads->lookup(dbJournal, QStringLiteral("Journal"));
    m_uploads->lookup(cmbSite, QStringLiteral("Site"));
    m_uploads->lookup(cmbJTemp, QStringLiteral("Template"));
    m_uploads->text(edJFile, QStringLiteral("LogFile"));
    m_uploads->lookup(cmbATemp, QStringLiteral("ArcTemplate"));
    m_uploads->text(edAFile, QStringLiteral("ArcFile"));
    m_uploads->text(dbArcExt, QStringLiteral("ArcExt"));
    m_uploads->text(edDir, QStringLiteral("Directory"));
    m_uploads->check(chkActive, QStringLiteral("Active"));
    m_uploads->check(dbAutoArc, QStringLiteral("AutoArc"));
    m_uploads->text(edImgDir, QStringLiteral("ImageDir"));
}

void TdlgJournal::guard(const std::function<void()> &action)
{
    try {
        action();
    } catch (const WrenError &error) {
        Prompt::inform(this, error.message());
    }
}

void TdlgJournal::reread(TableHandle &table)
{
    if (pending(table))
        return;
    const QVariant id = table.value(QStringLiteral("ID"));
    table.refresh();
    if (!id.isNull())
        table.locate(id.toLongLong());
}

void TdlgJournal::showAll()
{
    // Stored rows show at once in the look-ups and the list.
    for (TableHandle *t : {&tblSites, &tblTemplate, &tblNames, &tblUploads})
        reread(*t);
    fillLookup(dbJournal, tblNames);
    fillLookup(cmbSite, tblSites);
    fillLookup(cmbJTemp, tblTemplate);
    fillLookup(cmbATemp, tblTemplate);
    m_filling = true;
    const auto filled = qScopeGuard([this] { m_filling = false; });
    DBGrid1->setRowCount(tblUploads.recordCount());
    for (int row = 0; row < tblUploads.recordCount(); ++row) {
        DBGrid1->setItem(row, 0,
                         new QTableWidgetItem(nameOf(tblNames, tblUploads.valueAt(row, QStringLiteral("Journal")))));
        DBGrid1->setItem(row, 1,
                         new QTableWidgetItem(nameOf(tblSites, tblUploads.valueAt(row, QStringLiteral("Site")))));
    }
    if (tblUploads.recNo() >= 0)
        DBGrid1->selectRow(tblUploads.recNo());
    for (FieldBinder *b : {m_sites.get(), m_templates.get(), m_names.get(), m_uploads.get()})
        b->show();
    showEntryFormat();
    showSiteKind();
}

void TdlgJournal::setSettings(Settings &settings)
{
    m_settings = &settings;
    showEntryFormat();
}

void TdlgJournal::showEntryFormat()
{
    const bool insert = tblNames.state() == TableHandle::State::Insert;
    cmbEntryFormat->setEnabled(m_settings && !tblNames.isEmpty());
    EntryFormat format = EntryFormat::Html;
    const qlonglong id = insert || tblNames.isEmpty() ? -1 : tblNames.value(QStringLiteral("ID")).toLongLong();
    if (const auto chosen = m_formats.find(id); chosen != m_formats.end())
        format = chosen->second;
    else if (m_settings && id >= 0)
        format = m_settings->entryFormat(id);
    cmbEntryFormat->setCurrentIndex(format == EntryFormat::Markdown ? 1 : 0);
}

void TdlgJournal::storeEntryFormat(qlonglong id)
{
    const auto chosen = m_formats.find(id);
    if (chosen == m_formats.end() || !m_settings)
        return;
    m_settings->setEntryFormat(id, chosen->second);
    m_formats.erase(chosen);
}

void TdlgJournal::cmbEntryFormatChange(int index)
{
    if (!m_settings || tblNames.isEmpty())
        return;
    const EntryFormat format = index == 1 ? EntryFormat::Markdown : EntryFormat::Html;
    const bool insert = tblNames.state() == TableHandle::State::Insert;
    const qlonglong id = insert ? -1 : tblNames.value(QStringLiteral("ID")).toLongLong();
    const auto chosen = m_formats.find(id);
    const EntryFormat before =
        chosen != m_formats.end() ? chosen->second : (id >= 0 ? m_settings->entryFormat(id) : EntryFormat::Html);
    if (format == before)
        return;
    guard([&] {
        const auto count = id >= 0 ? m_db.firstRow(Statements::entryCount(static_cast<int>(id))) : std::nullopt;
        const int entries = count ? count->value(0).toInt() : 0;
        if (entries > 0) {
            const QString name = tblNames.value(QStringLiteral("Name")).toString();
            const QString language =
                format == EntryFormat::Markdown ? QStringLiteral("Markdown") : QStringLiteral("HTML");
            const QString question =
                QStringLiteral("Write the entries of the journal %1 in %2 from now on? %3 not converted: %4, and "
                               "%5 published as %2.")
                    .arg(name.isEmpty() ? QStringLiteral("without a name") : u'"' + name + u'"', language,
                         entries == 1 ? QStringLiteral("Its one entry is")
                                      : QStringLiteral("Its %1 entries are").arg(entries),
                         entries == 1 ? QStringLiteral("it stays as it is") : QStringLiteral("they stay as they are"),
                         entries == 1 ? QStringLiteral("is") : QStringLiteral("are"));
            if (!Prompt::ask(this, question))
                return;
        }
        m_formats[id] = format;
    });
    showEntryFormat();
}

void TdlgJournal::showSiteKind()
{
    // Rows: name, host, port, login, password, kind, folder.
    const bool remote = dbFTP->isChecked() || tblSites.isEmpty();
    for (int row = 1; row <= 4; ++row)
        siteForm->setRowVisible(row, remote);
    siteForm->setRowVisible(6, !remote);
    if (remote)
        return;
    QStringList folders;
    const QVariant site = tblSites.value(QStringLiteral("ID"));
    for (int row = 0; row < tblUploads.recordCount(); ++row) {
        const QString dir = tblUploads.valueAt(row, QStringLiteral("Directory")).toString();
        if (!site.isNull() && tblUploads.valueAt(row, QStringLiteral("Site")).toInt() == site.toInt() &&
            !dir.isEmpty() && !folders.contains(dir))
            folders << dir;
    }
    lblFolder->setText(folders.isEmpty() ? QStringLiteral("(each upload of the Sites page names its folder as its "
                                                          "Full Path)")
                                         : folders.join(u'\n'));
}

void TdlgJournal::showLostEntries()
{
    guard([&] {
        const auto row = m_db.firstRow(Statements::entriesWithoutJournal());
        m_lostEntries = row ? row->value(0).toInt() : 0;
    });
    btnAdopt->setText(QStringLiteral("&Take in %1 Entries ...").arg(m_lostEntries));
    btnAdopt->setVisible(m_lostEntries > 0);
}

void TdlgJournal::adoptEntries()
{
    guard([&] {
        if (pending(tblNames))
            tblNames.post(); // the journal must be stored to take entries
        if (tblNames.isEmpty() || m_lostEntries == 0)
            return;
        const QString name = tblNames.value(QStringLiteral("Name")).toString();
        if (!Prompt::confirm(
                this,
                QStringLiteral("Move the %1 entries that belong to no journal into %2?").arg(m_lostEntries).arg(name)))
            return;
        const int moved = m_db.run(Statements::adoptEntriesWithoutJournal(tblNames.value(QStringLiteral("ID")).toInt()))
                              .numRowsAffected();
        Prompt::inform(this, QStringLiteral("%1 entries moved into %2.").arg(moved).arg(name));
    });
    showLostEntries();
    showAll();
}

void TdlgJournal::showEvent(QShowEvent *event)
{
    // The main window may have renamed a journal meanwhile.
    showLostEntries();
    showAll();
    QDialog::showEvent(event);
}

void TdlgJournal::navigate(TableHandle &table, RecordNavigator::Button which)
{
    guard([&] {
        switch (which) {
        case RecordNavigator::Prior:
            table.prior();
            break;
        case RecordNavigator::Next:
            table.next();
            break;
        case RecordNavigator::Add:
            table.insert();
            break;
        case RecordNavigator::Delete:
            if (!table.isEmpty() && Prompt::confirm(this, QStringLiteral("Delete record?")))
                table.remove();
            break;
        case RecordNavigator::Edit:
            if (!table.isEmpty())
                table.edit();
            break;
        case RecordNavigator::Save:
            if (pending(table))
                table.post();
            break;
        }
    });
    showAll();
}

void TdlgJournal::siteAction(RecordNavigator::Button which)
{
    navigate(tblSites, which);
}

void TdlgJournal::newFromDesign(const QString &key)
{
    guard([&] {
        Designs::Names names;
        names.title =
            tblNames.isEmpty() ? QStringLiteral("My Journal") : tblNames.value(QStringLiteral("Name")).toString();
        if (!tblNames.isEmpty()) {
            names.author = tblNames.value(QStringLiteral("Author")).toString();
            names.siteUrl = tblNames.value(QStringLiteral("WebSite")).toString();
        }
        tblTemplate.refresh(); // a template being edited is stored first, as Add would
        const qlonglong first = JournalSetup::addDesignTemplates(m_db, names, key);
        if (first == 0)
            return;
        tblTemplate.refresh();
        tblTemplate.locate(first);
    });
    showAll();
}

void TdlgJournal::templateAction(RecordNavigator::Button which)
{
    navigate(tblTemplate, which);
}

void TdlgJournal::journalAction(RecordNavigator::Button which)
{
    if (which == RecordNavigator::Delete) {
        deleteJournal();
        return;
    }
    navigate(tblNames, which);
}

void TdlgJournal::deleteJournal()
{
    if (tblNames.isEmpty())
        return;
    if (!Prompt::ask(this, QStringLiteral("Delete Journal and all entries and sites for it?"),
                     QStringLiteral("Journal Deletion Confirmation")))
        return;
    guard([&] {
        const bool stored = tblNames.state() != TableHandle::State::Insert;
        const int journal = tblNames.value(QStringLiteral("ID")).toInt();
        JournalSetup::deleteJournal(m_db, tblNames);
        if (!stored)
            return; // a journal never stored has nothing more to tidy
        m_formats.erase(journal);
        // The uploads of the journal are gone: the list shows it at once.
        if (pending(tblUploads))
            tblUploads.cancel();
        tblUploads.refresh();
    });
    showAll();
}

void TdlgJournal::chooseTemplateFile()
{
    QFileDialog dialog(this, QStringLiteral("Remote Template File"));
    dialog.setNameFilters({QStringLiteral("All Files (*)"), QStringLiteral("Text File (*.txt)"),
                           QStringLiteral("HTML File (*.htm *.html)")});
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    guard([&] {
        if (tblTemplate.isEmpty() && !pending(tblTemplate))
            tblTemplate.insert();
        else if (!pending(tblTemplate))
            tblTemplate.edit();
        tblTemplate.setValue(QStringLiteral("FileDir"), path);
    });
    edRemote->setText(path);
}

void TdlgJournal::btnAddClick()
{
    guard([&] {
        tblUploads.insert();
        tblUploads.post(); // stored at once, empty; the user fills it in then
        tblUploads.last();
    });
    showAll();
}

void TdlgJournal::btnEdtClick()
{
    guard([&] {
        if (!tblUploads.isEmpty())
            tblUploads.edit();
    });
}

void TdlgJournal::btnSavClick()
{
    guard([&] {
        if (pending(tblUploads))
            tblUploads.post();
    });
    showAll();
}

void TdlgJournal::btnDelClick()
{
    guard([&] {
        if (!tblUploads.isEmpty())
            tblUploads.remove();
    });
    showAll();
}

void TdlgJournal::selectUpload(int row)
{
    guard([&] {
        if (row >= 0 && row < tblUploads.recordCount())
            tblUploads.locate(tblUploads.valueAt(row, QStringLiteral("ID")).toLongLong());
    });
    showAll();
}

void TdlgJournal::done(int result)
{
    bool stored = true;
    guard([&] {
        stored = false;
        for (TableHandle *t : {&tblSites, &tblTemplate, &tblNames, &tblUploads}) {
            if (!pending(*t))
                continue;
            if (result == QDialog::Accepted)
                t->post();
            else
                t->cancel();
        }
        // The formats chosen for journals whose rows did not change.
        if (result == QDialog::Accepted) {
            while (!m_formats.empty() && m_formats.begin()->first >= 0)
                storeEntryFormat(m_formats.begin()->first);
        }
        m_formats.clear();
        stored = true;
    });
    // A row the engine refused keeps the dialog open, with what was typed.
    if (stored)
        QDialog::done(result);
}
