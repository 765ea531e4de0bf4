#include "TfrmMain.h"

#include "base/DataDirectory.h"
#include "base/PrivateFiles.h"
#include "base/Prompt.h"
#include "app/PublishControl.h"
#include "app/TdlgAbout.h"
#include "app/TdlgCustomize.h"
#include "app/TdlgOptions.h"
#include "data/DataVersion.h"
#include "data/Statements.h"
#include "base/WrenError.h"
#include "editing/EntryGridModel.h"
#include "editing/EntryList.h"
#include "editing/EditorText.h"
#include "editing/EntryRecovery.h"
#include "editing/RecoveryWriter.h"
#include "editing/EntryLinkDialogs.h"
#include "editor/EditorSpelling.h"
#include "engine/Backup.h"
#include "manage/JournalSetup.h"
#include "manage/TdlgNewJournal.h"
#include "manage/TdlgRestore.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "editor/SpellDialogs.h"
#include "editor/Spelling.h"
#include "editing/Markup.h"
#include "editing/TdlgLink.h"
#include "editing/TdlgPurge.h"
#include "manage/TdlgFileMan.h"
#include "manage/TdlgJournal.h"
#include "publish/PublishRun.h"
#include "publish/EntryPreview.h"
#include "publish/TdlgArchive.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QScopeGuard>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#ifdef WREN_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

// The icons live in the wrengui library, which a static link would drop unless
// they are registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// Commands whose work arrives with later parts of the program.

} // namespace

TfrmMain::TfrmMain(const MainWindowPaths &paths, QWidget *parent)
    : QMainWindow(parent), m_paths(paths), m_settings(paths.settingsFile), m_actions(this), m_db(QStringLiteral("Wren"))
{
    initResources();
    setWindowTitle(QStringLiteral("Wren"));
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/wren.svg")));
    m_entries = std::make_unique<EntryList>(m_db);
    buildLayout();
    buildMenus();
    buildTray();
    m_recovery = new RecoveryWriter(
        *m_entries, m_paths.dataDir, [this](const QString &line) { log(line); }, this);
}

TfrmMain::~TfrmMain()
{
    m_entries.reset();
    m_tblNames.reset();
    m_db.close();
    m_staging.remove();
}

void TfrmMain::buildLayout()
{
    actMainTB = addToolBar(QStringLiteral("Main Toolbar"));
    actMainTB->setObjectName(QStringLiteral("actMainTB"));
    actMainTB->setIconSize(QSize(20, 20));
    actMainTB->setMovable(false);

    // Left pane: the journal strip, the calendar and the entries of the day.
    auto *left = new QWidget;
    auto *pnlJournal = new QHBoxLayout;
    dbName = new QLineEdit;
    dbName->setObjectName(QStringLiteral("dbName"));
    navPrior = new QToolButton;
    navPrior->setArrowType(Qt::LeftArrow);
    navPrior->setStatusTip(QStringLiteral("Previous Journal"));
    navPrior->setToolTip(QStringLiteral("Previous Journal"));
    navNext = new QToolButton;
    navNext->setArrowType(Qt::RightArrow);
    navNext->setStatusTip(QStringLiteral("Next Journal"));
    navNext->setToolTip(QStringLiteral("Next Journal"));
    pnlJournal->addWidget(dbName);
    pnlJournal->addWidget(navPrior);
    pnlJournal->addWidget(navNext);
    calDate = new QCalendarWidget;
    calDate->setGridVisible(false);
    calDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    dbGrid = new QTableView;
    dbGrid->setObjectName(QStringLiteral("dbGrid"));
    dbGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    dbGrid->verticalHeader()->hide();
    dbGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 0, 4);
    leftLayout->addLayout(pnlJournal);
    leftLayout->addWidget(calDate);
    leftLayout->addWidget(dbGrid, 1);

    // Right pane: the edit tool bar, the title, the editor and the preview.
    auto *right = new QWidget;
    actEditTB = new QToolBar(QStringLiteral("Edit Toolbar"));
    actEditTB->setObjectName(QStringLiteral("actEditTB"));
    actEditTB->setIconSize(QSize(20, 20));
    dbTitle = new QLineEdit;
    dbTitle->setObjectName(QStringLiteral("dbTitle"));
    dbTitle->setPlaceholderText(QStringLiteral("Title"));
    dbTitle->setStatusTip(QStringLiteral("Title for the current entry (if any)"));
    dbEntry = new QPlainTextEdit;
    dbEntry->setObjectName(QStringLiteral("dbEntry"));
    dbEntry->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    dbEntry->setFont(mono);
    webBrowser = new QWidget;
    webBrowser->setObjectName(QStringLiteral("webBrowser"));
    new QVBoxLayout(webBrowser);
    splBrowser = new QSplitter(Qt::Vertical);
    splBrowser->addWidget(dbEntry);
    splBrowser->addWidget(webBrowser);
    splBrowser->setSizes({400, 0});
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 4, 4);
    rightLayout->addWidget(actEditTB);
    rightLayout->addWidget(dbTitle);
    rightLayout->addWidget(splBrowser, 1);

    splMid = new QSplitter(Qt::Horizontal);
    splMid->addWidget(left);
    splMid->addWidget(right);
    splMid->setStretchFactor(1, 1);
    splMid->setSizes({201, 553});

    memLog = new QPlainTextEdit;
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setReadOnly(true);
    memLog->setMaximumBlockCount(10000);
    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->addWidget(splMid);
    Splitter1->addWidget(memLog);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({420, 73});
    setCentralWidget(Splitter1);
    statusBar()->setObjectName(QStringLiteral("barStat"));
    m_publish = new PublishControl(*this, m_actions, [this](const QString &line) { log(line); });

    for (QToolBar *bar : {actMainTB, actEditTB}) {
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this, [this, bar](const QPoint &at) {
            QMenu menu;
            menu.addAction(QStringLiteral("&Customize ..."), this, &TfrmMain::actCustomizeExecute);
            menu.addSeparator();
            menu.addAction(actMainTB->toggleViewAction());
            menu.addAction(actEditTB->toggleViewAction());
            menu.exec(bar->mapToGlobal(at));
        });
    }
}

QMenu *TfrmMain::createPopupMenu()
{
    // The edit tool bar sits in the right pane, not in the window's tool bar
    // area, so the window's own menu of tool bars would leave it out.
    QMenu *menu = QMainWindow::createPopupMenu();
    if (!menu)
        menu = new QMenu(this);
    menu->addAction(actEditTB->toggleViewAction());
    return menu;
}

void TfrmMain::buildMenus()
{
    const MainActions &a = m_actions;
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    m_mnuFile = file;
    file->addAction(a["actRestore"]);
    file->addSeparator();
    file->addAction(a["actExit"]);
    QMenu *edit = menuBar()->addMenu(QStringLiteral("Edit"));
    for (const char *name :
         {"actUndo", "actRedo", "-", "actFind", "actSelAll", "actItalics", "actBold", "-", "actLiveSpell"})
        *name == '-' ? (void)edit->addSeparator() : edit->addAction(a[QLatin1String(name)]);
    QMenu *journal = menuBar()->addMenu(QStringLiteral("Journal"));
    for (const char *name : {"actNew", "actPreview", "actSave", "actDel"})
        journal->addAction(a[QLatin1String(name)]);
    journal->addSeparator();
    journal->addAction(a["actNewJournal"]);
    QMenu *tools = menuBar()->addMenu(QStringLiteral("Tools"));
    for (const char *name : {"actJournals", "actOptions", "actPublish", "actSendAll", "actArchive", "actPurge",
                             "actBrowse", "-", "actSpell", "actThes", "actSpellOpt"})
        *name == '-' ? (void)tools->addSeparator() : tools->addAction(a[QLatin1String(name)]);
    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(a["actReadMe"]);
    help->addAction(a["actAbout"]);

    // The editor's right-click menu.
    auto *mnuEdit = new QMenu(this);
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    for (const char *name : {"actPara", "actBR", "actURL", "actImg", "actFile", "actEntry", "actAngle", "actSpace", "-",
                             "actCut", "actCopy", "actPaste", "-", "actSpell", "actThes"})
        *name == '-' ? (void)mnuEdit->addSeparator() : mnuEdit->addAction(a[QLatin1String(name)]);
    dbEntry->setContextMenuPolicy(Qt::CustomContextMenu);
    // A right click on a word that live spelling marked offers the spelling
    // menu; anywhere else the editor menu.
    connect(dbEntry, &QWidget::customContextMenuRequested, this, [this, mnuEdit](const QPoint &at) {
        if (m_spelling)
            m_spelling->showContextMenu(at, mnuEdit, clipboardActions());
        else
            mnuEdit->exec(dbEntry->viewport()->mapToGlobal(at));
    });

    auto on = [this](const char *name, void (TfrmMain::*handler)()) {
        connect(m_actions[QLatin1String(name)], &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on("actNew", &TfrmMain::actNewExecute);
    on("actSave", &TfrmMain::actSaveExecute);
    on("actDel", &TfrmMain::actDelExecute);
    on("actPublish", &TfrmMain::actPublishExecute);
    on("actArchive", &TfrmMain::actArchiveExecute);
    on("actSendAll", &TfrmMain::actSendAllExecute);
    on("actOptions", &TfrmMain::actOptionsExecute);
    on("actBrowse", &TfrmMain::actBrowseExecute);
    on("actReadMe", &TfrmMain::actReadMeExecute);
    on("actAbout", &TfrmMain::actAboutExecute);
    on("actCustomize", &TfrmMain::actCustomizeExecute);
    on("actExit", &TfrmMain::actExitExecute);
    on("actJournals", &TfrmMain::actJournalsExecute);
    on("actPreview", &TfrmMain::BrowseEntry);
    on("actEntry", &TfrmMain::actEntryExecute);
    on("actFind", &TfrmMain::actFindExecute);
    on("actSpell", &TfrmMain::actSpellExecute);
    on("actThes", &TfrmMain::actThesExecute);
    on("actSpellOpt", &TfrmMain::actSpellOptExecute);
    connect(a["actLiveSpell"], &QAction::toggled, this, [this](bool live) {
        if (m_spelling)
            m_spelling->setLive(live);
    });
    on("actPurge", &TfrmMain::actPurgeExecute);
    on("actRestore", &TfrmMain::actRestoreExecute);
    on("actNewJournal", &TfrmMain::actNewJournalExecute);
    on("actFileMan", &TfrmMain::actFileManExecute);
    on("actURL", &TfrmMain::actLinkExecute);
    on("actImg", &TfrmMain::actImgExecute);
    on("actFile", &TfrmMain::actFileExecute);
    // The simple markup commands: one replacement of the selection each.
    const std::pair<const char *, QString (*)(const QString &)> simple[] = {
        {"actPara", Markup::Paragraph}, {"actBR", Markup::LineBreak}, {"actAngle", Markup::AngleBrackets},
        {"actSpace", Markup::Space},    {"actBold", Markup::Bold},    {"actItalics", Markup::Italics}};
    for (const auto &[name, compose] : simple) {
        connect(m_actions[QLatin1String(name)], &QAction::triggered, this,
                [this, compose = compose] { replaceSelection(compose(selectedText())); });
    }
    connect(a["actUndo"], &QAction::triggered, dbEntry, &QPlainTextEdit::undo);
    connect(a["actRedo"], &QAction::triggered, dbEntry, &QPlainTextEdit::redo);
    connect(a["actCut"], &QAction::triggered, dbEntry, &QPlainTextEdit::cut);
    connect(a["actCopy"], &QAction::triggered, dbEntry, &QPlainTextEdit::copy);
    connect(a["actPaste"], &QAction::triggered, dbEntry, &QPlainTextEdit::paste);
    connect(a["actSelAll"], &QAction::triggered, dbEntry, &QPlainTextEdit::selectAll);
    for (const QString &name : a.names())
        addAction(a[name]); // shortcuts work wherever the focus is

    connect(navPrior, &QToolButton::clicked, this, &TfrmMain::navNamePrior);
    connect(navNext, &QToolButton::clicked, this, &TfrmMain::navNameNext);
    // The calendar's day is the selected day, however it was chosen: a click,
    // the arrow keys, the month arrows or the year box.
    connect(calDate, &QCalendarWidget::selectionChanged, this, [this] {
        if (m_started && calDate->selectedDate() != m_entries->day())
            calDateClick(calDate->selectedDate());
    });
    connect(calDate, &QCalendarWidget::clicked, this, [this](const QDate &day) {
        if (day == m_entries->day())
            calDateClick(day); // a click on the day shown runs the query again
    });
    connect(calDate, &QCalendarWidget::currentPageChanged, this, [this] {
        if (m_started)
            guard([&] { markEntryDays(); });
    });
    connect(dbName, &QLineEdit::textEdited, this, [this](const QString &text) {
        guard([&] {
            if (m_tblNames && !m_tblNames->isEmpty())
                m_tblNames->setValue(QStringLiteral("Name"), text);
        });
    });
    connect(dbTitle, &QLineEdit::textEdited, this, [this](const QString &text) {
        guard([&] { m_entries->setTitle(EditorText::toStored(text, m_titleLegacy, false)); });
        scheduleRecovery();
    });
    // The editor keeps the text while it is typed; the entry takes it when stored.
    m_entries->setTextSource([this] { return EditorText::toStored(dbEntry->toPlainText(), m_entryLegacy); });
    connect(dbEntry, &QPlainTextEdit::textChanged, this, [this] {
        // Re-colouring signals a change too: the document's own modification
        // state tells an edit, without looking at the whole text.
        if (m_showingEntry || !m_started || !dbEntry->document()->isModified())
            return;
        guard([&] { m_entries->textEdited(); });
        scheduleRecovery();
    });
    connect(m_entries.get(), &EntryList::settled, this, [this] { dbEntry->document()->setModified(false); });
}

void TfrmMain::buildTray()
{
    m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/wren.svg")), this);
    m_tray->setToolTip(QStringLiteral("Wren - journal publishing"));
    auto *mnuTray = new QMenu(this);
    QAction *show = mnuTray->addAction(QStringLiteral("Show Wren"), this, &TfrmMain::showAndRaise);
    QFont bold = show->font();
    bold.setBold(true);
    show->setFont(bold);
    mnuTray->addAction(QStringLiteral("Hide Wren"), this, &QWidget::hide);
    mnuTrayClose = mnuTray->addAction(QStringLiteral("Minimize on Close"));
    mnuTrayClose->setCheckable(true);
    // Where no tray shows, the option must still be reachable.
    m_mnuFile->insertAction(m_actions["actExit"], mnuTrayClose);
    m_mnuFile->insertSeparator(m_actions["actExit"]);
    mnuTray->addSeparator();
    QAction *exit = mnuTray->addAction(QStringLiteral("E&xit"), this, &TfrmMain::trayExit);
    exit->setStatusTip(QStringLiteral("Exit from Wren"));
    m_tray->setContextMenu(mnuTray);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            showAndRaise();
    });
    m_tray->show();
}

bool TfrmMain::minimizeOnClose() const
{
    return mnuTrayClose->isChecked();
}

void TfrmMain::setMinimizeOnClose(bool on)
{
    mnuTrayClose->setChecked(on);
}

void TfrmMain::placeFromSettings()
{
    if (m_settings.state() == 1) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        move(m_settings.left(), m_settings.top());
        resize(m_settings.width(), m_settings.height());
    }
    actEditTB->setVisible(m_settings.editToolbar());
    actMainTB->setVisible(m_settings.mainToolbar());
}

bool TfrmMain::FormCreate()
{
    // Placement and the two check marks come first, before any file is touched.
    placeFromSettings();
    setMinimizeOnClose(m_settings.minimizeOnClose());
    m_actions["actLiveSpell"]->setChecked(m_settings.liveSpell());
    m_pending.clear();

    try {
        m_staging = StagingDirectory::prepare(m_paths.tempBase);
        const PrivateFiles privateFiles = PrivateFiles::of(m_paths.dataDir, m_settings.path());
        const DataVersion::Result version = DataVersion::check(m_settings, m_paths.dataDir);
        if (!version.message.isEmpty())
            Prompt::inform(this, version.message);
        if (version.mustExit())
            return false;
        m_freshStart = version.outcome == DataVersion::Outcome::FreshStart;
        DataVersion::createMissingTables(m_paths.dataDir);
        m_db.open(m_paths.dataDir, m_staging.path());
        backupIfDue();
        for (const QString &line : privateFiles.secure())
            log(line);

        m_tblNames = std::make_unique<TableHandle>(m_db, QStringLiteral("Names"));
        m_tblNames->open();
        const QDate today = QDate::currentDate();
        calDate->setSelectedDate(today);
        m_entries->setDay(today);
        journalChanged();
        m_entries->requery();
        m_firewall = LoadFirewall(m_settings);
        m_publish->setFirewall(m_firewall);
        m_publish->setDataDir(m_paths.dataDir);
    } catch (const WrenError &error) {
        Prompt::inform(this, error.message());
        return false;
    }
    m_actions["actSave"]->setEnabled(false);

    m_grid = new EntryGridModel(*m_entries, this);
    dbGrid->setModel(m_grid);
    connect(dbGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_showingEntry && current.isValid())
                    guard([&] { m_entries->select(current.row()); });
            });
    connect(m_entries.get(), &EntryList::saveEnabledChanged, m_actions["actSave"], &QAction::setEnabled);
    connect(m_entries.get(), &EntryList::currentChanged, this, &TfrmMain::showEntry);
    connect(m_entries.get(), &EntryList::rowsChanged, this, [this] {
        m_grid->reload();
        showEntry();
        guard([&] { markEntryDays(); }); // a store, a delete or a purge may change a day's mark
    });
    connect(m_entries.get(), &EntryList::settled, m_recovery, &RecoveryWriter::settled);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        try {
            m_db.flush();
        } catch (const WrenError &) {
            // A failed flush is retried at the next idle moment; the store itself reports errors.
        }
    });

    // The dialogs are made once, in order; the Options dialog installs the names.
    m_dlgAbout = new TdlgAbout(this);
    m_dlgJournal = new TdlgJournal(m_db, this);
    m_dlgArchive = new TdlgArchive(this);
    m_dlgOptions = new TdlgOptions(m_settings, this);
    m_dlgLink = new TdlgLink(this);
    m_dlgFileMan = new TdlgFileMan(this);
    m_dlgEntries = new TdlgEntries(m_db, this);
    m_dlgPurge = new TdlgPurge(this);
    m_frmList = new TfrmList(this);
    m_frmFind = new TfrmFind(this);
    m_dlgNewJournal = new TdlgNewJournal(this);
    m_entries->setUseLoginName(m_dlgOptions->useWindowsLogin());

    m_spelling = new EditorSpelling(
        dbEntry, m_settings.file(), QDir(m_paths.dataDir).filePath(QStringLiteral("Wren.words")),
        [this](const QString &line) { log(line); }, this);
    m_spelling->setLive(m_actions["actLiveSpell"]->isChecked());

    m_toolbarLayout =
        ToolbarLayout::load(QDir(m_paths.dataDir).filePath(QStringLiteral("Wren.cfg")), m_actions.names());
    applyToolbarLayout();
    m_started = true;
    showEntry();
    guard([&] { markEntryDays(); });
    offerRecovery();
    dbEntry->setFocus(); // the user can start typing at once
    return true;
}

void TfrmMain::applyToolbarLayout()
{
    auto fill = [this](QToolBar *bar, const QStringList &names) {
        bar->clear();
        for (const QString &name : names) {
            if (name == QLatin1String("-"))
                bar->addSeparator();
            else
                bar->addAction(m_actions[name]);
        }
    };
    fill(actMainTB, m_toolbarLayout.main);
    fill(actEditTB, m_toolbarLayout.edit);
}

void TfrmMain::guard(const std::function<void()> &command)
{
    try {
        command();
    } catch (const WrenError &error) {
        Prompt::inform(this, error.message());
    } catch (const std::exception &error) {
        Prompt::inform(this, QString::fromLocal8Bit(error.what()));
    }
}

void TfrmMain::log(const QString &line)
{
    memLog->appendPlainText(line);
    memLog->verticalScrollBar()->setValue(memLog->verticalScrollBar()->maximum());
    Q_EMIT logLine(line);
}

int TfrmMain::journalId() const
{
    return m_entries->journal().id;
}

const QDate &TfrmMain::selectedDay() const
{
    return m_entries->day();
}

void TfrmMain::journalChanged()
{
    const JournalSettings journal =
        m_tblNames->isEmpty() ? JournalSettings() : JournalSettings::fromRecord(m_tblNames->currentRecord());
    m_entries->setJournal(journal);
    dbName->setText(journal.name);
    dbName->setEnabled(journal.id != 0);
    if (m_started)
        m_entries->requery();
}

void TfrmMain::showEntry()
{
    m_showingEntry = true;
    const EditorText title = EditorText::fromStored(m_entries->title(), false);
    const EditorText entry = EditorText::fromStored(m_entries->text());
    m_titleLegacy = title.legacy;
    if (dbTitle->text() != title.shown)
        dbTitle->setText(title.shown);
    const QString &text = entry.shown;
    const bool newLegacy = entry.legacy && (!m_entryLegacy || m_legacyShownId != currentEntryKey());
    m_entryLegacy = entry.legacy;
    if (newLegacy) {
        m_legacyShownId = currentEntryKey();
        statusBar()->showMessage(
            QStringLiteral("This entry is not stored as UTF-8: it is shown as Windows-1252 and saved that way"));
    }
    if (dbEntry->toPlainText() != text)
        dbEntry->setPlainText(text);
    dbEntry->document()->setModified(false); // what is shown is what is stored
    const int row =
        m_entries->rows().state() == TableHandle::State::Insert ? m_entries->count() : m_entries->rows().recNo();
    if (m_grid && row >= 0 && row < m_grid->rowCount())
        dbGrid->selectRow(row);
    m_showingEntry = false;
}

qlonglong TfrmMain::currentEntryKey() const
{
    TableHandle &rows = m_entries->rows();
    return rows.state() == TableHandle::State::Insert ? -2 : rows.value(QStringLiteral("ID")).toLongLong();
}

void TfrmMain::promptUnsavedChanges()
{
    if (!m_entries->hasPendingChange())
        return;
    if (Prompt::ask(this, QStringLiteral("You have unsaved Changes! Save?")))
        m_entries->store();
    else
        m_entries->discard();
}

void TfrmMain::storeJournalName()
{
    if (m_tblNames && m_tblNames->isModified())
        m_tblNames->post();
}

void TfrmMain::calDateClick(const QDate &day)
{
    guard([&] {
        promptUnsavedChanges();
        m_entries->setDay(day);
        if (calDate->selectedDate() != day)
            calDate->setSelectedDate(day);
        m_entries->requery();
    });
}

void TfrmMain::markEntryDays()
{
    calDate->setDateTextFormat(QDate(), QTextCharFormat()); // drops every mark
    const int journal = journalId();
    if (journal == 0 || !m_db.isOpen())
        return;
    const QDate first(calDate->yearShown(), calDate->monthShown(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    QSqlQuery days = m_db.run(Statements::archiveDays(journal, first, last, false));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    while (days.next()) {
        const QDate day = days.value(0).toDate();
        if (day.isValid())
            calDate->setDateTextFormat(day, bold);
    }
}

void TfrmMain::navNamePrior()
{
    guard([&] {
        // At the first journal there is nowhere to go, and nothing to ask.
        if (m_tblNames->recNo() <= 0)
            return;
        storeJournalName();
        promptUnsavedChanges();
        m_tblNames->prior();
        journalChanged();
    });
}

void TfrmMain::navNameNext()
{
    guard([&] {
        if (m_tblNames->recNo() + 1 >= m_tblNames->recordCount())
            return;
        storeJournalName();
        promptUnsavedChanges();
        m_tblNames->next();
        journalChanged();
    });
}

void TfrmMain::actNewExecute()
{
    guard([&] {
        promptUnsavedChanges();
        m_entries->newEntry(QTime::currentTime());
        dbTitle->setFocus();
    });
}

void TfrmMain::actSaveExecute()
{
    guard([&] { m_entries->store(); });
}

void TfrmMain::actDelExecute()
{
    guard([&] {
        promptUnsavedChanges();
        m_entries->deleteCurrent();
    });
}

void TfrmMain::runPublishing(const std::function<void(PublishRun &, SiteTransfer &)> &work)
{
    // A window closed during the run closes once the run has ended.
    const auto closeAfter = qScopeGuard([this] {
        if (m_closeAfterRun)
            QTimer::singleShot(0, this, &QWidget::close);
    });
    m_publish->run({m_db, m_settings, m_dlgOptions->options(), m_staging.path(), m_entries->journal(), m_pending},
                   work);
}

void TfrmMain::actPublishExecute()
{
    guard([&] {
        promptUnsavedChanges();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        runPublishing([](PublishRun &run, SiteTransfer &) { run.PublishEntry(); });
    });
}

void TfrmMain::actSendAllExecute()
{
    m_publish->setSendAll(true);
    const auto reset = qScopeGuard([this] { m_publish->setSendAll(false); });
    actPublishExecute();
}

void TfrmMain::actArchiveExecute()
{
    guard([&] {
        runPublishing([this](PublishRun &run, SiteTransfer &transfer) {
            const auto range = run.archiveRange();
            if (!range) {
                Prompt::inform(this, PublishRun::noDateRangeMessage());
                return;
            }
            m_dlgArchive->dtFrom->setDate(range->first);
            m_dlgArchive->dtTo->setDate(range->second);
            if (m_dlgArchive->exec() != QDialog::Accepted) {
                transfer.EndSession(true);
                return;
            }
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
            run.PublishArchive(m_dlgArchive->dtFrom->date(), m_dlgArchive->dtTo->date());
        });
    });
}

void TfrmMain::actOptionsExecute()
{
    guard([&] {
        if (m_dlgOptions->exec() != QDialog::Accepted)
            return;
        m_dlgOptions->SaveOptions();
        m_firewall = LoadFirewall(m_settings);
        m_publish->setFirewall(m_firewall);
        m_entries->setUseLoginName(m_dlgOptions->useWindowsLogin());
    });
}

void TfrmMain::actBrowseExecute()
{
    guard([&] {
        const QString site = m_entries->journal().webSite;
        if (site.isEmpty() || site.compare(QLatin1String("http://"), Qt::CaseInsensitive) == 0) {
            Prompt::inform(this, QStringLiteral("Web site not defined for current journal!"), QStringLiteral("Error"));
            return;
        }
        QDesktopServices::openUrl(QUrl(site, QUrl::TolerantMode));
    });
}

void TfrmMain::actReadMeExecute()
{
    guard([&] {
        const QString readMe = DataDirectory::readMePath(m_paths.dataDir, QCoreApplication::applicationFilePath());
        if (readMe.isEmpty()) {
            Prompt::inform(this, QStringLiteral("Wren.Txt file does not exist in the Wren directory"),
                           QStringLiteral("Error"));
            return;
        }
        QDesktopServices::openUrl(QUrl::fromLocalFile(readMe));
    });
}

void TfrmMain::actAboutExecute()
{
    m_dlgAbout->exec();
}

void TfrmMain::actCustomizeExecute()
{
    TdlgCustomize dialog(m_actions, m_toolbarLayout, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_toolbarLayout = dialog.layout();
    applyToolbarLayout();
}

void TfrmMain::actExitExecute()
{
    // Without a tray a minimised window would be the only way back, and the
    // user asked to leave: Exit always ends the program then.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        m_exitRequested = true;
    close();
}

void TfrmMain::trayExit()
{
    m_exitRequested = true;
    close();
}

void TfrmMain::showAndRaise()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TfrmMain::saveSettings()
{
    m_settings.setState(isMaximized() ? 1 : 0);
    m_settings.setTop(pos().y());
    m_settings.setLeft(pos().x());
    m_settings.setHeight(height());
    m_settings.setWidth(width());
    m_settings.setEditToolbar(!actEditTB->isHidden());
    m_settings.setMainToolbar(!actMainTB->isHidden());
    m_settings.setMinimizeOnClose(minimizeOnClose());
    m_settings.setLiveSpell(m_actions["actLiveSpell"]->isChecked());
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (minimizeOnClose() && !m_exitRequested && !m_sessionEnding) {
        event->ignore();
        // Without a tray there is nowhere to hide to: minimise instead.
        if (QSystemTrayIcon::isSystemTrayAvailable())
            hide();
        else
            showMinimized();
        return;
    }
    if (!m_started) {
        event->accept();
        return;
    }
    if (m_publish->isRunning()) {
        // The file on its way is cut short; the window closes when the run has ended.
        m_publish->stop();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    // A change the user is asked about and that fails to store keeps the
    // window open, so the text is not lost. When the session ends nobody can
    // answer: the recovery file keeps the text for the next start.
    bool settled = true;
    if (!m_sessionEnding) {
        guard([&] {
            settled = false;
            storeJournalName();
            promptUnsavedChanges();
            settled = true;
        });
    }
    if (!settled) {
        m_exitRequested = false;
        event->ignore();
        return;
    }
    // Closing is final from here: a settings file that cannot be written is
    // reported once, and what was written before stays written.
    guard([&] { saveSettings(); });
    guard([&] { m_toolbarLayout.save(QDir(m_paths.dataDir).filePath(QStringLiteral("Wren.cfg"))); });
    guard([&] {
        m_db.closeIdleConnections();
        m_publish->endSession(); // without a log line
    });
    m_exitRequested = false;
    m_tray->hide();
    event->accept();
}

void TfrmMain::scheduleRecovery()
{
    if (m_started)
        m_recovery->changed();
}

void TfrmMain::hideEvent(QHideEvent *event)
{
    if (m_started)
        m_recovery->flush();
    QMainWindow::hideEvent(event);
}

void TfrmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_started)
        m_recovery->flush();
    QMainWindow::changeEvent(event);
}

void TfrmMain::endSession()
{
    if (m_started)
        m_recovery->flush();
    m_sessionEnding = true;
    close();
}

void TfrmMain::offerRecovery()
{
    const std::optional<RecoveredEntry> found = EntryRecovery::read(m_paths.dataDir);
    if (!found)
        return;
    const QString question =
        QStringLiteral("Wren closed before the entry of %1 was saved.\r\nPut the unsaved text back?")
            .arg(QLocale::system().toString(found->day, QLocale::LongFormat));
    if (!Prompt::ask(this, question)) {
        EntryRecovery::remove(m_paths.dataDir);
        return;
    }
    guard([&] {
        if (found->journal != journalId()) {
            for (m_tblNames->first(); !m_tblNames->eof(); m_tblNames->next()) {
                if (m_tblNames->value(QStringLiteral("ID")).toInt() == found->journal)
                    break;
            }
            journalChanged();
        }
        calDate->setSelectedDate(found->day);
        m_entries->setDay(found->day);
        m_entries->requery();
        bool located = false;
        for (int row = 0; row < m_entries->count() && found->id != 0; ++row) {
            if (m_entries->rows().valueAt(row, QStringLiteral("ID")).toLongLong() == found->id) {
                m_entries->select(row);
                located = true;
            }
        }
        if (!located)
            m_entries->rows().insert(); // the row is gone: a new entry of that day
        m_entries->setTitle(found->title);
        m_entries->setText(found->entry);
        m_grid->reload();
        showEntry();
    });
}

bool TfrmMain::isPublishing() const
{
    return m_publish->isRunning();
}

void TfrmMain::stopPublishing()
{
    m_publish->stop();
}

QString TfrmMain::selectedText() const
{
    // The editor's selection uses U+2029 between paragraphs; entries use line breaks.
    return dbEntry->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

void TfrmMain::replaceSelection(const QString &text)
{
    guard([&] {
        QTextCursor cursor = dbEntry->textCursor();
        cursor.insertText(text); // one step to undo, and the entry starts editing
        dbEntry->setTextCursor(cursor);
    });
}

void TfrmMain::actLinkExecute()
{
    m_dlgLink->prepare(TdlgLink::Form::Hyperlink);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const QString s = selectedText();
    replaceSelection(Markup::Hyperlink(s, m_dlgLink->edName->text(), m_dlgLink->chkHttp->isChecked(),
                                       m_dlgLink->chkNew->isChecked()));
}

void TfrmMain::actImgExecute()
{
    m_dlgLink->prepare(TdlgLink::Form::Image);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const QString s = selectedText();
    const QString path = m_dlgLink->edName->text();
    replaceSelection(
        Markup::Image(s, path, m_dlgLink->rbAuto->isChecked(), m_dlgLink->edX->text(), m_dlgLink->edY->text()));
    m_pending.images << path;
}

void TfrmMain::actFileExecute()
{
    m_dlgLink->prepare(TdlgLink::Form::File);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const QString s = selectedText();
    const QString path = m_dlgLink->edName->text();
    replaceSelection(Markup::FileLink(s, path));
    m_pending.files << path;
}

void TfrmMain::actFileManExecute()
{
    m_dlgFileMan->setFiles(m_pending.files);
    if (m_dlgFileMan->exec() == QDialog::Accepted)
        m_pending.files = m_dlgFileMan->files();
}

void TfrmMain::backupIfDue()
{
    const QString root = Backup::defaultRoot(m_paths.dataDir);
    const QDate today = QDate::currentDate();
    if (!Backup::due(root, today))
        return;
    try {
        log(QStringLiteral("Backup written to ") + Backup::write(m_paths.dataDir, m_paths.settingsFile, root, today));
    } catch (const WrenError &error) {
        // The journal opens all the same; the next start tries again.
        log(QStringLiteral("Backup failed: ") + error.message());
    }
}

void TfrmMain::actNewJournalExecute()
{
    guard([&] {
        promptUnsavedChanges();
        storeJournalName();
        m_dlgNewJournal->reset(m_entries->journal().author);
        if (m_dlgNewJournal->exec() != QDialog::Accepted)
            return;
        const JournalAnswers answers = m_dlgNewJournal->answers();
        const JournalCreated made = JournalSetup::create(m_db, answers);
        m_tblNames->refresh();
        m_tblNames->locate(made.journal);
        journalChanged();
        log(QStringLiteral("Created the journal %1 with its site, templates, feed and uploads").arg(answers.name));
        if (Prompt::ask(this, QStringLiteral("The journal %1 is ready. Publish it now?").arg(answers.name)))
            actPublishExecute();
    });
}

void TfrmMain::actRestoreExecute()
{
    guard([&] {
        const QString root = Backup::defaultRoot(m_paths.dataDir);
        TdlgRestore dialog(Backup::list(root), this);
        if (dialog.exec() != QDialog::Accepted || dialog.chosen().path.isEmpty())
            return;
        const Backup::Info chosen = dialog.chosen();
        if (!Prompt::confirm(this, QStringLiteral("Replace the journals with the backup of %1 (%2 entries)? The "
                                                  "current files are kept as a backup of their own.")
                                       .arg(chosen.name)
                                       .arg(chosen.entries)))
            return;
        promptUnsavedChanges();
        const QString before =
            Backup::restore(chosen.path, m_paths.dataDir, m_paths.settingsFile, root, QDate::currentDate());
        log(QStringLiteral("Restored the backup %1; the files replaced are in %2").arg(chosen.name, before));
        m_tblNames->refresh();
        journalChanged();
    });
}

void TfrmMain::actPurgeExecute()
{
    guard([&] {
        if (m_dlgPurge->exec() != QDialog::Accepted)
            return;
        const QString statement = PurgeStatement(m_dlgPurge->request(), journalId(), QDate::currentDate());
        if (statement.isEmpty())
            return;
        // A pending change is settled first: storing it later could bring a
        // purged entry back, and dropping it unasked would lose what was typed.
        promptUnsavedChanges();
        m_db.run(statement);
        m_entries->requery();
    });
}

void TfrmMain::actJournalsExecute()
{
    guard([&] {
        storeJournalName();
        promptUnsavedChanges();
        m_dlgJournal->exec();
        // Whatever happened there, show the journal as it now stands.
        const QVariant id = m_tblNames->value(QStringLiteral("ID"));
        m_tblNames->refresh();
        if (id.isNull() || !m_tblNames->locate(id.toLongLong()))
            m_tblNames->first();
        journalChanged();
        m_entries->requery();
    });
}

void TfrmMain::BrowseEntry()
{
    guard([&] {
        const QString path = WritePreview(m_staging.path(), dbEntry->toPlainText(),
                                          m_dlgOptions->options().autoinsertTag, m_pending.files);
        const QUrl url = QUrl::fromLocalFile(path);
#ifdef WREN_WEBENGINE
        // Made at the first preview, so that start-up does not pay for the engine.
        if (!m_preview) {
            m_preview = new QWebEngineView;
            m_preview->setObjectName(QStringLiteral("webView"));
            webBrowser->layout()->setContentsMargins(0, 0, 0, 0);
            webBrowser->layout()->addWidget(m_preview);
            // Where the engine cannot show the file, the desktop's browser does.
            auto fallBack = [this] {
                log(QStringLiteral("The built-in browser could not show the preview; opening it in the desktop's "
                                   "browser"));
                QDesktopServices::openUrl(m_previewUrl);
            };
            connect(m_preview, &QWebEngineView::loadFinished, this, [this, fallBack](bool ok) {
                if (!ok && m_preview->url() == m_previewUrl)
                    fallBack();
            });
            connect(m_preview->page(), &QWebEnginePage::renderProcessTerminated, this,
                    [fallBack](QWebEnginePage::RenderProcessTerminationStatus status) {
                        if (status != QWebEnginePage::NormalTerminationStatus)
                            fallBack();
                    });
        }
        if (splBrowser->sizes().value(1) == 0) {
            const int total = splBrowser->height();
            splBrowser->setSizes({total / 2, total - total / 2});
        }
        m_previewUrl = url;
        m_preview->load(url);
#else
        QDesktopServices::openUrl(url);
        m_previewUrl = url;
#endif
    });
}

void TfrmMain::actEntryExecute()
{
    guard([&] {
        m_dlgEntries->showDay(journalId(), QDate::currentDate());
        if (m_dlgEntries->exec() != QDialog::Accepted)
            return;
        if (const auto target = m_dlgEntries->selected())
            replaceSelection(Markup::EntryLink(selectedText(), target->id, target->day, m_entries->journal().arcType));
    });
}

void TfrmMain::actFindExecute()
{
    guard([&] {
        if (m_frmFind->exec() != QDialog::Accepted)
            return;
        const std::optional<int> journal =
            m_frmFind->rbAll->isChecked() ? std::nullopt : std::optional<int>(journalId());
        const QString text = m_frmFind->edFind->text();
        m_frmList->showResults(m_db, Statements::findEntries(journal, text, m_frmFind->chkCase->isChecked()), text);
        if (m_frmList->exec() != QDialog::Accepted)
            return;
        if (const auto target = m_frmList->selected())
            replaceSelection(Markup::EntryLink(selectedText(), target->id, target->day, m_entries->journal().arcType));
    });
}

QList<QAction *> TfrmMain::clipboardActions() const
{
    return {m_actions["actCut"], m_actions["actCopy"], m_actions["actPaste"]};
}

QMenu *TfrmMain::spellingMenu(int start, int length)
{
    return m_spelling->menuFor(start, length, clipboardActions());
}

void TfrmMain::actSpellExecute()
{
    guard([&] { m_spelling->spellCheck(); });
}

void TfrmMain::actThesExecute()
{
    guard([&] { m_spelling->thesaurus(); });
}

void TfrmMain::actSpellOptExecute()
{
    guard([&] { m_spelling->configure(); });
}
