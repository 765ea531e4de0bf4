#include "TfrmMain.h"

#include "base/PrivateFiles.h"
#include "ui/Prompt.h"
#include "app/EditorCommands.h"
#include "app/PreviewPane.h"
#include "app/PublishCommands.h"
#include "app/PublishControl.h"
#include "app/TdlgAbout.h"
#include "app/ToolbarControl.h"
#include "app/TdlgOptions.h"
#include "app/WindowTray.h"
#include "app/WindowCommands.h"
#include "engine/Startup.h"
#include "data/Statements.h"
#include "base/WrenError.h"
#include "editing/EntryCommands.h"
#include "editing/EntryView.h"
#include "editing/EntryList.h"
#include "editing/EntryRecovery.h"
#include "editing/RecoveryWriter.h"
#include "editing/CalendarMarks.h"
#include "editing/MarkupCommands.h"
#include "editor/EditorSpelling.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "manage/JournalCommands.h"
#include "manage/TdlgNewJournal.h"
#include "editing/TdlgPurge.h"
#include "manage/TdlgFileMan.h"
#include "manage/TdlgJournal.h"
#include "publish/EntryPreview.h"
#include "transfer/Firewall.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

// The icons live in the wrengui library, which a static link would drop unless
// they are registered by hand.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

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
    setupTray(*this, m_actions);
    m_windowTray = new WindowTray(*this, m_tray, mnuTrayShow, mnuTrayHide, mnuTrayExit, mnuTrayClose);
    m_recovery = new RecoveryWriter(*m_entries, m_paths.dataDir, logSink(), this);
}

TfrmMain::~TfrmMain()
{
    m_entries.reset();
    m_tblNames.reset();
    m_db.close();
    m_staging.remove();
}

QMenu *TfrmMain::createPopupMenu()
{
    return m_toolbars->popupMenu(QMainWindow::createPopupMenu());
}

void TfrmMain::buildLayout()
{
    setupLayout(*this);
    m_publish = new PublishControl(*this, m_actions, logSink());
    m_previewPane = new PreviewPane(webBrowser, splBrowser, logSink(), this);
    m_toolbars = new ToolbarControl(this, m_actions, actMainTB, actEditTB, [this](const ToolbarLayout &layout) {
        fillToolbars(m_actions, layout.main, layout.edit);
    });
}

void TfrmMain::buildMenus()
{
    setupMenus(*this, m_actions);
    const MainActions &a = m_actions;
    m_editorCommands = new EditorCommands(
        m_actions, dbEntry, dbGrid, mnuEdit, [this](const std::function<void()> &step) { guard(step); },
        [this] { actUndoDeleteExecute(); }, this);
    using Handler = void (TfrmMain::*)();
    const std::pair<const char *, Handler> commands[] = {{"actNew", &TfrmMain::actNewExecute},
                                                         {"actSave", &TfrmMain::actSaveExecute},
                                                         {"actDel", &TfrmMain::actDelExecute},
                                                         {"actOptions", &TfrmMain::actOptionsExecute},
                                                         {"actBrowse", &TfrmMain::actBrowseExecute},
                                                         {"actReadMe", &TfrmMain::actReadMeExecute},
                                                         {"actAbout", &TfrmMain::actAboutExecute},

                                                         {"actJournals", &TfrmMain::actJournalsExecute},
                                                         {"actPreview", &TfrmMain::BrowseEntry},
                                                         {"actPurge", &TfrmMain::actPurgeExecute},
                                                         {"actRestore", &TfrmMain::actRestoreExecute},
                                                         {"actNewJournal", &TfrmMain::actNewJournalExecute},
                                                         {"actFileMan", &TfrmMain::actFileManExecute},
                                                         {"actUndoDelete", &TfrmMain::actUndoDeleteExecute}};
    for (const auto &[name, handler] : commands)
        connect(a[QLatin1String(name)], &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });
    // The commands of the window's helpers, each behind the error boundary.
    const std::pair<const char *, void (PublishCommands::*)()> publishing[] = {
        {"actPublish", &PublishCommands::publish},
        {"actSendAll", &PublishCommands::sendAll},
        {"actArchive", &PublishCommands::archive}};
    for (const auto &[name, command] : publishing)
        connect(a[QLatin1String(name)], &QAction::triggered, this,
                [this, command = command] { guard([&] { (m_publishCommands->*command)(); }); });
    connect(a["actCustomize"], &QAction::triggered, m_toolbars, &ToolbarControl::customize);
    connect(a["actExit"], &QAction::triggered, this, [this] { m_windowTray->exitFromMenu(); });
    a["actUndoDelete"]->setEnabled(false);
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
            markEntryDays();
    });
    connect(dbName, &QLineEdit::textEdited, this, [this](const QString &text) {
        guard([&] {
            if (m_tblNames && !m_tblNames->isEmpty())
                m_tblNames->setValue(QStringLiteral("Name"), text);
        });
    });
}

bool TfrmMain::minimizeOnClose() const
{
    return m_windowTray->minimizeOnClose();
}

void TfrmMain::setMinimizeOnClose(bool on)
{
    m_windowTray->setMinimizeOnClose(on);
}

bool TfrmMain::FormCreate()
{
    // Placement and the two check marks come first, before any file is touched.
    placeFrom(*this, m_settings);
    setMinimizeOnClose(m_settings.value(Setting::MinimizeOnClose));
    m_actions["actLiveSpell"]->setChecked(m_settings.value(Setting::LiveSpell));
    m_pending.clear();

    try {
        m_staging = StagingDirectory::createPrivate(m_paths.tempBase);
        for (const QString &line :
             PrivateFiles::replaceLinks(PrivateFiles::stateFiles(m_paths.dataDir, m_settings.path())))
            log(line);
        const PrivateFiles privateFiles = PrivateFiles::of(m_paths.dataDir, m_settings.path());
        // The version message shows before any table is touched; a missing version ends here.
        const auto tell = [this](const DataVersion::Result &version) {
            if (!version.message.isEmpty())
                Prompt::inform(this, version.message);
        };
        const Startup::Result started =
            Startup::openDataDirectory(m_settings, m_paths.dataDir, m_staging.path(), m_db, tell);
        if (started.version.mustExit())
            return false;
        m_freshStart = started.freshStart();
        m_journalCommands = new JournalCommands(m_db, m_paths.dataDir, m_paths.settingsFile, logSink(), this);
        m_journalCommands->backupIfDue();
        for (const QString &line : privateFiles.secure())
            log(line);

        m_tblNames = std::make_unique<TableHandle>(m_db, QStringLiteral("Names"));
        m_tblNames->open();
        const QDate today = QDate::currentDate();
        calDate->setSelectedDate(today);
        m_entries->setDay(today);
        journalChanged();
        m_entries->requery();
        if (const int lost = m_db.firstRow(Statements::entriesWithoutJournal())->value(0).toInt(); lost > 0)
            log(QStringLiteral("%1 entries belong to no journal: Tools, Journal Management ..., Journals, \"Take in "
                               "%1 Entries ...\" moves them into the journal shown there")
                    .arg(lost));
        m_publish->setFirewall(LoadFirewall(m_settings));
        m_publish->setDataDir(m_paths.dataDir);
    } catch (const WrenError &error) {
        Prompt::inform(this, error.message());
        return false;
    }
    m_actions["actSave"]->setEnabled(false);

    m_entryCommands = new EntryCommands(*m_entries, m_db, m_paths.dataDir,
                                        {this, [this](int id) { return showJournal(id); },
                                         [this](const QDate &day) {
                                             m_entries->setDay(day);
                                             calDate->setSelectedDate(day);
                                             m_entries->requery();
                                         },
                                         [this](const QString &line) { statusBar()->showMessage(line); }, logSink()},
                                        this);
    connect(m_entryCommands, &EntryCommands::undoDeleteChanged, m_actions["actUndoDelete"], &QAction::setEnabled);
    m_view =
        new EntryView(*m_entries, dbGrid, dbTitle, dbEntry,
                      {[this](const std::function<void()> &step) { guard(step); },
                       [this] {
                           if (m_started)
                               scheduleRecovery();
                       },
                       // a store, a delete or a purge may change a day's mark
                       [this] { markEntryDays(); }, [this](const QString &line) { statusBar()->showMessage(line); }},
                      this);
    connect(m_entries.get(), &EntryList::saveEnabledChanged, m_actions["actSave"], &QAction::setEnabled);
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
    m_dlgJournal->setSettings(m_settings);
    m_publishCommands = new PublishCommands(
        *m_publish,
        {this, [this] { return promptUnsavedChanges(); },
         [this] {
             return PublishInputs{m_db,     m_settings, m_dlgOptions->options(), m_staging.path(), m_entries->journal(),
                                  m_pending};
         }});
    m_dlgOptions = new TdlgOptions(m_settings, this);
    m_dlgFileMan = new TdlgFileMan(this);
    m_dlgPurge = new TdlgPurge(this);
    m_markup = new MarkupCommands(
        dbEntry, m_db, m_pending, [this]() -> const JournalSettings & { return m_entries->journal(); }, this);
    m_entries->setUseLoginName(m_dlgOptions->useWindowsLogin());

    m_spelling = new EditorSpelling(dbEntry, m_settings, QDir(m_paths.dataDir).filePath(QStringLiteral("Wren.words")),
                                    logSink(), this);
    m_spelling->setLive(m_actions["actLiveSpell"]->isChecked());
    m_editorCommands->attach(m_markup, m_spelling);
    applyEntryFormat();

    m_toolbars->load(m_paths.dataDir);
    m_started = true;
    m_view->show();
    markEntryDays();
    guard([&] { m_entryCommands->offerRecovery(); });
    dbEntry->setFocus(); // the user can start typing at once
    return true;
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

LogSink TfrmMain::logSink()
{
    return [this](const QString &line) { log(line); };
}

void TfrmMain::markEntryDays()
{
    guard([&] { CalendarMarks::markEntryDays(calDate, m_db, journalId()); });
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
    applyEntryFormat();
    dbName->setText(journal.name);
    dbName->setEnabled(journal.id != 0);
    showJournalState(m_actions, journal.id != 0);
    if (m_started)
        m_entries->requery();
}

void TfrmMain::applyEntryFormat()
{
    // The editor speaks the journal's language: the markup it inserts, its
    // colouring and what spelling looks at.
    const EntryFormat format = journalId() != 0 ? m_settings.entryFormat(journalId()) : EntryFormat::Html;
    if (m_markup)
        m_markup->setEntryFormat(format);
    if (m_spelling)
        m_spelling->marks().setMarkdown(format == EntryFormat::Markdown);
}

bool TfrmMain::showJournal(int id)
{
    storeJournalName();
    if (!m_tblNames->locate(id))
        return false;
    journalChanged();
    return true;
}

bool TfrmMain::promptUnsavedChanges()
{
    return !m_entryCommands || m_entryCommands->settle();
}

void TfrmMain::storeJournalName()
{
    if (m_tblNames && m_tblNames->isModified())
        m_tblNames->post();
}

void TfrmMain::calDateClick(const QDate &day)
{
    guard([&] {
        if (!promptUnsavedChanges()) {
            calDate->setSelectedDate(m_entries->day()); // the day stays, with its text
            return;
        }
        m_entries->setDay(day);
        if (calDate->selectedDate() != day)
            calDate->setSelectedDate(day);
        m_entries->requery();
    });
}

void TfrmMain::navNamePrior()
{
    guard([&] {
        // At the first journal there is nowhere to go, and nothing to ask.
        if (m_tblNames->recNo() <= 0)
            return;
        storeJournalName();
        if (!promptUnsavedChanges())
            return;
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
        if (!promptUnsavedChanges())
            return;
        m_tblNames->next();
        journalChanged();
    });
}

void TfrmMain::actNewExecute()
{
    guard([&] {
        const int before = m_entries->count();
        m_entryCommands->newEntry();
        if (m_entries->count() > before)
            dbTitle->setFocus();
    });
}

void TfrmMain::actSaveExecute()
{
    guard([&] { m_entries->store(); });
}

void TfrmMain::actDelExecute()
{
    guard([&] { m_entryCommands->deleteEntry(); });
}

void TfrmMain::actUndoDeleteExecute()
{
    guard([&] { m_entryCommands->undoDelete(); });
}

void TfrmMain::actOptionsExecute()
{
    guard([&] {
        if (m_dlgOptions->exec() != QDialog::Accepted)
            return;
        m_dlgOptions->SaveOptions();
        m_publish->setFirewall(LoadFirewall(m_settings));
        m_entries->setUseLoginName(m_dlgOptions->useWindowsLogin());
    });
}

void TfrmMain::actBrowseExecute()
{
    guard([&] { WindowCommands::browseSite(this, m_entries->journal().webSite); });
}

void TfrmMain::actReadMeExecute()
{
    guard([&] { WindowCommands::readMe(this, m_paths.dataDir); });
}

void TfrmMain::actAboutExecute()
{
    m_dlgAbout->exec();
}

void TfrmMain::showAndRaise()
{
    m_windowTray->showAndRaise();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_windowTray->hideInsteadOfClosing(m_sessionEnding)) {
        event->ignore();
        return;
    }
    if (!m_started) {
        event->accept();
        return;
    }
    if (m_publish->isRunning()) {
        // The file on its way is cut short; the window closes when the run has ended.
        m_publish->stop();
        m_publishCommands->closeAfterRun();
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
            settled = promptUnsavedChanges(); // Cancel keeps the window, and the text, open
        });
    }
    if (!settled) {
        m_windowTray->closeKept();
        event->ignore();
        return;
    }
    // Closing is final from here: a settings file that cannot be written is
    // reported once, and what was written before stays written.
    guard([&] {
        storePlacement(*this, m_settings);
        m_settings.setValue(Setting::MinimizeOnClose, minimizeOnClose());
        m_settings.setValue(Setting::LiveSpell, m_actions["actLiveSpell"]->isChecked());
    });
    guard([&] { m_toolbars->save(m_paths.dataDir); });
    guard([&] {
        m_db.closeIdleConnections();
        m_publish->endSession(); // without a log line
    });
    m_windowTray->closed();
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

void TfrmMain::actFileManExecute()
{
    m_dlgFileMan->setFiles(m_pending.files);
    if (m_dlgFileMan->exec() == QDialog::Accepted)
        m_pending.files = m_dlgFileMan->files();
}

void TfrmMain::actNewJournalExecute()
{
    guard([&] {
        if (!promptUnsavedChanges())
            return;
        storeJournalName();
        const std::optional<JournalCreated> made = m_journalCommands->newJournal(m_entries->journal().author);
        if (!made)
            return;
        m_tblNames->refresh();
        m_tblNames->locate(made->journal);
        journalChanged();
        const QString name = newJournalDialog().answers().name;
        if (Prompt::ask(this, QStringLiteral("The journal %1 is ready. Publish it now?").arg(name)))
            m_publishCommands->publish();
    });
}

void TfrmMain::actRestoreExecute()
{
    guard([&] {
        if (!m_journalCommands->restore([this] { return promptUnsavedChanges(); }))
            return;
        m_entries->forgetDeleted(); // its ID may belong to a restored entry
        m_tblNames->refresh();
        journalChanged();
    });
}

void TfrmMain::actPurgeExecute()
{
    guard([&] { m_entryCommands->purge(*m_dlgPurge); });
}

void TfrmMain::actJournalsExecute()
{
    guard([&] {
        storeJournalName();
        if (!promptUnsavedChanges())
            return;
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
        const QString path =
            WritePreview(m_staging.path(), dbEntry->toPlainText(), m_dlgOptions->options().autoinsertTag,
                         m_pending.files, m_settings.entryFormat(journalId()));
        m_previewPane->show(QUrl::fromLocalFile(path));
    });
}
