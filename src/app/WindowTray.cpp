#include "WindowTray.h"

#include <QAction>
#include <QMainWindow>
#include <QSystemTrayIcon>

WindowTray::WindowTray(QMainWindow &window, QSystemTrayIcon *tray, QAction *show, QAction *hide, QAction *exit,
                       QAction *minimizeOnClose)
    : QObject(&window), m_window(window), m_tray(tray), m_minimizeOnClose(minimizeOnClose)
{
    connect(show, &QAction::triggered, this, &WindowTray::showAndRaise);
    connect(hide, &QAction::triggered, &window, &QWidget::hide);
    connect(exit, &QAction::triggered, this, &WindowTray::exit);
    connect(tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            showAndRaise();
    });
    tray->show();
}

void WindowTray::showAndRaise()
{
    if (m_window.isMinimized())
        m_window.showNormal();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void WindowTray::exitFromMenu()
{
    // Without a tray a minimised window would be the only way back, and the
    // user asked to leave: Exit always ends the program then.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        m_exitRequested = true;
    m_window.close();
}

void WindowTray::exit()
{
    m_exitRequested = true;
    m_window.close();
}

bool WindowTray::minimizeOnClose() const
{
    return m_minimizeOnClose->isChecked();
}

void WindowTray::setMinimizeOnClose(bool on)
{
    m_minimizeOnClose->setChecked(on);
}

bool WindowTray::hideInsteadOfClosing(bool sessionEnding)
{
    if (!minimizeOnClose() || m_exitRequested || sessionEnding)
        return false;
    // Without a tray there is nowhere to hide to: minimise instead.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_window.hide();
    else
        m_window.showMinimized();
    return true;
}

void WindowTray::closeKept()
{
    m_exitRequested = false;
}

void WindowTray::closed()
{
    m_exitRequested = false;
    m_tray->hide();
}
