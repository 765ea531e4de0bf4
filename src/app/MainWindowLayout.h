#pragma once

#include <QStringList>

class MainActions;
class QCalendarWidget;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QSystemTrayIcon;
class QTableView;
class QToolBar;
class QToolButton;
class QAction;
class Settings;
class QWidget;

// The controls of the main window, named as the program names them, and the
// menus that hold its commands. It makes them and lays them out; what they
// do is wired by the window. Every pointer is owned by the window's widgets.
class MainWindowLayout {
public:
    QLineEdit *dbName = nullptr;
    QToolButton *navPrior = nullptr, *navNext = nullptr;
    QCalendarWidget *calDate = nullptr;
    QTableView *dbGrid = nullptr;
    QLineEdit *dbTitle = nullptr;
    QPlainTextEdit *dbEntry = nullptr;
    QWidget *webBrowser = nullptr; // where the preview shows
    QPlainTextEdit *memLog = nullptr;
    QToolBar *actMainTB = nullptr, *actEditTB = nullptr;
    QSplitter *splMid = nullptr, *splBrowser = nullptr, *Splitter1 = nullptr;

protected:
    // The two panes, the log below them and the main tool bar.
    void setupLayout(QMainWindow &window);
    // File, Edit, Journal, Tools and Help, and the editor's right-click menu.
    void setupMenus(QMainWindow &window, const MainActions &actions);
    // The tray icon and its menu; "Minimize on Close" goes into the File menu
    // too, where no tray shows. The show, hide and exit entries are the
    // tray menu's first, second and last actions.
    void setupTray(QMainWindow &window, const MainActions &actions);
    // The window's place and size and which tool bars show, as the settings
    // file holds them.
    void placeFrom(QMainWindow &window, const Settings &settings);
    void storePlacement(const QMainWindow &window, Settings &settings) const;
    // With no journal nothing can hold an entry: the commands that start one
    // are off, the title and the editor take no typing, and the status bar
    // says how to make a journal.
    void showJournalState(const MainActions &actions, bool hasJournal);
    // Fills the two tool bars with the named actions ("-" is a separator).
    void fillToolbars(const MainActions &actions, const QStringList &main, const QStringList &edit);

    QMenu *mnuEdit = nullptr; // the editor's right-click menu
    QMenu *mnuFile = nullptr;
    QMenu *mnuTray = nullptr;
    QAction *mnuTrayShow = nullptr, *mnuTrayHide = nullptr, *mnuTrayExit = nullptr;
    QAction *mnuTrayClose = nullptr; // in the tray menu and the File menu
    QSystemTrayIcon *m_tray = nullptr;
    QLabel *lblNoJournal = nullptr; // the status bar's word while there is no journal
};
