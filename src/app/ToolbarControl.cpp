#include "ToolbarControl.h"

#include "app/MainActions.h"
#include "app/TdlgCustomize.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QToolBar>

namespace {

QString layoutFile(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Wren.cfg"));
}

} // namespace

ToolbarControl::ToolbarControl(QWidget *window, const MainActions &actions, QToolBar *main, QToolBar *edit, Fill fill)
    : QObject(window), m_window(window), m_actions(actions), m_edit(edit), m_fill(std::move(fill))
{
    for (QToolBar *bar : {main, edit}) {
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this, [this, bar, main, edit](const QPoint &at) {
            QMenu menu;
            menu.addAction(QStringLiteral("&Customize ..."), this, &ToolbarControl::customize);
            menu.addSeparator();
            menu.addAction(main->toggleViewAction());
            menu.addAction(edit->toggleViewAction());
            menu.exec(bar->mapToGlobal(at));
        });
    }
}

void ToolbarControl::load(const QString &dataDir)
{
    m_layout = ToolbarLayout::load(layoutFile(dataDir), m_actions.names());
    m_fill(m_layout);
}

void ToolbarControl::save(const QString &dataDir) const
{
    m_layout.save(layoutFile(dataDir));
}

void ToolbarControl::customize()
{
    TdlgCustomize dialog(m_actions, m_layout, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_layout = dialog.layout();
    m_fill(m_layout);
}

QMenu *ToolbarControl::popupMenu(QMenu *windowMenu)
{
    QMenu *menu = windowMenu ? windowMenu : new QMenu(m_window);
    menu->addAction(m_edit->toggleViewAction());
    return menu;
}
