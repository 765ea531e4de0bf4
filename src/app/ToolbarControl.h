#pragma once

#include "base/ToolbarLayout.h"

#include <QObject>

#include <functional>

class MainActions;
class QMenu;
class QToolBar;
class QWidget;

// The main window's two tool bars: which commands they hold (Wren.cfg in the
// data directory), Customize, and the right-click menu that shows or hides them.
class ToolbarControl : public QObject {
public:
    // fill puts a layout's commands on the bars.
    using Fill = std::function<void(const ToolbarLayout &)>;
    ToolbarControl(QWidget *window, const MainActions &actions, QToolBar *main, QToolBar *edit, Fill fill);

    // Reads Wren.cfg of the data directory and fills the bars.
    void load(const QString &dataDir);
    // Throws WrenError.
    void save(const QString &dataDir) const;
    void customize();
    // The window's menu of tool bars with the edit tool bar added: it sits in
    // the right pane, not in the window's tool bar area.
    QMenu *popupMenu(QMenu *windowMenu);

private:
    QWidget *m_window;
    const MainActions &m_actions;
    QToolBar *m_edit;
    Fill m_fill;
    ToolbarLayout m_layout;
};
