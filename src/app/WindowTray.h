#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QSystemTrayIcon;

// The main window's tray icon and how the window leaves: its menu (show,
// hide, exit), a double click that brings the window back, "Minimize on
// Close", and Exit, which ends the program even when closing would hide.
class WindowTray : public QObject {
public:
    WindowTray(QMainWindow &window, QSystemTrayIcon *tray, QAction *show, QAction *hide, QAction *exit,
               QAction *minimizeOnClose);

    // Brings the window to the front, restoring it when minimised or hidden.
    void showAndRaise();
    // File, Exit: closes the window, and ends the program where no tray shows.
    void exitFromMenu();
    bool minimizeOnClose() const;
    void setMinimizeOnClose(bool on);
    // Hides (or without a tray minimises) the window in place of a close the
    // user did not ask to end the program with; false when the window closes.
    bool hideInsteadOfClosing(bool sessionEnding);
    // The close did not happen (a Cancel) or did: the next close asks again.
    void closeKept();
    void closed();

private:
    void exit();

    QMainWindow &m_window;
    QSystemTrayIcon *m_tray;
    QAction *m_minimizeOnClose;
    bool m_exitRequested = false;
};
