#pragma once

#include "base/ToolbarLayout.h"

#include <QDialog>

class MainActions;
class QComboBox;
class QListWidget;

// Lets the user choose and order the commands of each tool bar.
class TdlgCustomize : public QDialog {
    Q_OBJECT
public:
    TdlgCustomize(const MainActions &actions, const ToolbarLayout &layout, QWidget *parent = nullptr);
    ToolbarLayout layout() const { return m_layout; }

private:
    QStringList &bar();
    void showBar();
    void addCommand(const QString &name);
    void move(int by);

    const MainActions &m_actions;
    ToolbarLayout m_layout;
    QComboBox *m_which;
    QListWidget *m_commands;
    QListWidget *m_bar;
};
