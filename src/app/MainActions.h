#pragma once

#include <QHash>
#include <QString>

class QAction;
class QObject;

// The commands of the main window: one action each, with its category,
// caption, hint (shown in the status bar), shortcut and tool bar icon.
class MainActions {
public:
    explicit MainActions(QObject *owner);

    // The action of the given name ("actNew"); never null for a known name.
    QAction *operator[](const QString &name) const;
    // Every action name in the order of the command table.
    const QStringList &names() const { return m_names; }
    QString category(const QString &name) const { return m_categories.value(name); }

private:
    QHash<QString, QAction *> m_actions;
    QHash<QString, QString> m_categories;
    QStringList m_names;
};
