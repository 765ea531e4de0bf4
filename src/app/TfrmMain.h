#pragma once

#include "app/MainActions.h"
#include "app/MainWindowLayout.h"
#include "app/PreviewPane.h"
#include "app/PublishControl.h"
#include "base/ToolbarLayout.h"
#include "base/Settings.h"
#include "base/StagingDirectory.h"
#include "editing/MarkupCommands.h"
#include "editor/EditorSpelling.h"
#include "engine/Database.h"
#include "engine/TableHandle.h"
#include "manage/JournalCommands.h"
#include "transfer/SiteTransfer.h"

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class EditorCommands;
class EntryCommands;
class EntryList;
class EntryView;
class HtmlSyntaxHighlighter;
class PublishCommands;
class QMenu;
class RecoveryWriter;
class SpellChecker;
class TdlgAbout;
class TdlgEntries;
class TdlgFileMan;
class TdlgJournal;
class TdlgLink;
class TdlgNewJournal;
class TdlgOptions;
class TdlgPurge;
class TdlgSpellOptions;
class TfrmFind;
class TfrmList;
class ToolbarControl;
class WindowTray;

// Where a main window finds its files.
struct MainWindowPaths {
    QString dataDir;      // table files, settings file, Wren.txt, Wren.cfg
    QString settingsFile; // normally "wren.INI" in the data directory
    QString tempBase;     // the user's temporary directory, for the staging directory
};

// The main window: one journal and one day at a time, the entry editor, the
// log pane, the menus, tool bars and tray icon, and the commands that start
// from them. Every command runs behind one boundary that shows an error in a
// message box titled "Wren" and leaves the window usable.
class TfrmMain : public QMainWindow, public MainWindowLayout {
    Q_OBJECT
public:
    explicit TfrmMain(const MainWindowPaths &paths, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Runs the start-up; false when the program must end (the data-version
    // message for a missing version, or a database that cannot be opened).
    bool FormCreate();

    // The unsaved-changes prompt: asks to store a pending change of the entry.
    // False when the user put it off (Cancel, Escape): the command stops there.
    bool promptUnsavedChanges();

    // Commands.
    void actNewExecute();
    void actSaveExecute();
    void actDelExecute();
    // Edit, Undo Delete (Ctrl+Z in the list of entries): the last deleted entry back.
    void actUndoDeleteExecute();
    void actJournalsExecute();
    // Preview Entry: the editor's text as a browser shows it.
    void BrowseEntry();
    void actPurgeExecute();
    // Journal, New Journal: the assistant, then the rows it answers for, then
    // the offer to publish.
    void actNewJournalExecute();
    // Whether this start found the data directory empty (and made its tables).
    bool freshStart() const { return m_freshStart; }
    TdlgNewJournal &newJournalDialog() { return m_journalCommands->newJournalDialog(); }
    // File, Restore from Backup: lists the backups and puts the chosen one back.
    void actRestoreExecute();
    void actFileManExecute();
    void actOptionsExecute();
    void actBrowseExecute();
    void actReadMeExecute();
    void actAboutExecute();
    void calDateClick(const QDate &day);
    void navNamePrior();
    void navNameNext();
    // The menu of tool bars (right click on the menu bar): both tool bars.
    QMenu *createPopupMenu() override;
    // Brings the window to the front, restoring it when minimised or hidden.
    void showAndRaise();
    // The desktop session ends (SIGTERM, SIGHUP): the recovery file is written,
    // the window closes as the user would close it, without asking anything.
    void endSession();

    // State other parts read.
    int journalId() const;
    const QDate &selectedDay() const;
    EntryList &entries() { return *m_entries; }
    Database &database() { return m_db; }
    PendingLists &pending() { return m_pending; }
    MainActions &actions() { return m_actions; }
    bool minimizeOnClose() const;
    void setMinimizeOnClose(bool on);

Q_SIGNALS:
    void logLine(const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;
    // The recovery file is written at once when the window is hidden or loses
    // the focus: the user may not come back to it.
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildLayout();
    void buildMenus();
    // Runs a command behind the error boundary.
    void guard(const std::function<void()> &command);
    void journalChanged();
    // Tells the editor whether the journal on view is written in Markdown.
    void applyEntryFormat();
    void log(const QString &line);
    // log() as a sink for the classes the window delegates to.
    LogSink logSink();
    // The bold entry days of the month on view, behind the error boundary.
    void markEntryDays();
    void scheduleRecovery();
    // Makes the journal of that ID current; false when there is none.
    bool showJournal(int id);
    void storeJournalName();

    MainWindowPaths m_paths;
    Settings m_settings;
    MainActions m_actions;
    Database m_db;
    StagingDirectory m_staging;
    std::unique_ptr<TableHandle> m_tblNames;
    std::unique_ptr<EntryList> m_entries;
    EntryView *m_view = nullptr; // the day's entries, the title and the editor
    PendingLists m_pending;
    TdlgOptions *m_dlgOptions = nullptr;
    TdlgAbout *m_dlgAbout = nullptr;
    TdlgJournal *m_dlgJournal = nullptr;
    TdlgFileMan *m_dlgFileMan = nullptr;
    TdlgPurge *m_dlgPurge = nullptr;
    JournalCommands *m_journalCommands = nullptr; // backups and new journals
    EntryCommands *m_entryCommands = nullptr;     // the prompt, new, delete and undo, purge, recovery
    bool m_freshStart = false;
    EditorCommands *m_editorCommands = nullptr;   // the editor's menu commands
    MarkupCommands *m_markup = nullptr;           // links, images, files and entry links from their dialogs
    PublishControl *m_publish = nullptr;          // the runs, the site session, their progress
    PublishCommands *m_publishCommands = nullptr; // Publish Entries, Send All Files, Publish Archives
    EditorSpelling *m_spelling = nullptr;         // owned by the editor, made at start-up
    PreviewPane *m_previewPane = nullptr;
    RecoveryWriter *m_recovery = nullptr;
    ToolbarControl *m_toolbars = nullptr; // the two tool bars, their layout and menu
    WindowTray *m_windowTray = nullptr;   // the tray icon, Exit and Minimize on Close
    bool m_sessionEnding = false;         // the desktop session ends: nobody answers a prompt
    bool m_started = false;
};
