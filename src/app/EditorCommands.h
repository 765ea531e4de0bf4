#pragma once

#include <QObject>

#include <functional>

class EditorSpelling;
class MainActions;
class MarkupCommands;
class QMenu;
class QPlainTextEdit;
class QTableView;

// The editor's commands in the main window's menus and tool bars: the markup
// that replaces the selection, the link, image, file, entry and find dialogs,
// spelling and the thesaurus, the editor's right-click menu, undo and the
// clipboard. The markup and spelling helpers are made at start-up and
// attached then; until then their commands do nothing.
class EditorCommands : public QObject {
public:
    // Runs a command behind the window's error boundary.
    using Guard = std::function<void(const std::function<void()> &)>;

    // undoDelete is Ctrl+Z in the list of entries (grid).
    EditorCommands(const MainActions &actions, QPlainTextEdit *entry, QTableView *grid, QMenu *editMenu, Guard guard,
                   std::function<void()> undoDelete, QObject *parent);

    void attach(MarkupCommands *markup, EditorSpelling *spelling);

private:
    void wireDialogs();
    void wireMarkup();
    void wireEditing();

    const MainActions &m_actions;
    QPlainTextEdit *m_entry;
    QTableView *m_grid;
    QMenu *m_editMenu;
    Guard m_guard;
    std::function<void()> m_undoDelete;
    MarkupCommands *m_markup = nullptr;
    EditorSpelling *m_spelling = nullptr;
};
