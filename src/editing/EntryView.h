#pragma once

#include <QObject>

#include <functional>

class EntryGridModel;
class EntryList;
class QLineEdit;
class QPlainTextEdit;
class QString;
class QTableView;

// The entries of the day as the main window shows them: the grid of the
// day's entries, the title box and the editor, bound to the entry list both
// ways. A text not stored as UTF-8 is shown as Windows-1252 and goes back in
// the encoding it came in.
class EntryView : public QObject {
public:
    struct Hooks {
        // Runs a step behind the window's error boundary.
        std::function<void(const std::function<void()> &)> guard;
        // The user changed the title or the text.
        std::function<void()> edited;
        // A store, a delete or a purge changed the rows.
        std::function<void()> rowsChanged;
        // A line for the status bar.
        std::function<void(const QString &)> notice;
    };

    EntryView(EntryList &entries, QTableView *grid, QLineEdit *title, QPlainTextEdit *editor, Hooks hooks,
              QObject *parent);

    // Shows the current entry in the title box and the editor, and selects its row.
    void show();
    // Lists the rows again and shows the current entry.
    void reload();

private:
    void dropIfBackToStored();
    // The current entry, -2 for one not stored yet.
    qlonglong currentKey() const;

    EntryList &m_entries;
    QTableView *m_grid;
    QLineEdit *m_title;
    QPlainTextEdit *m_editor;
    Hooks m_hooks;
    EntryGridModel *m_model;
    bool m_showing = false;
    bool m_entryLegacy = false; // the entry shown is stored in another encoding than UTF-8
    bool m_titleLegacy = false;
    qlonglong m_legacyShownId = -1; // the entry the status bar last said so for
};
