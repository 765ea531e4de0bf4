#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>

class Database;
class EntryList;
class QWidget;
class TdlgPurge;

// The commands on the entries that may ask the user first: the unsaved-changes
// prompt, New Entry, Delete Entry and Undo Delete, Purge Entries, and the offer
// of text kept from a crash. Errors come back as WrenError, for the window's
// boundary to show.
class EntryCommands : public QObject {
    Q_OBJECT
public:
    // What the window does for these commands.
    struct Window {
        QWidget *parent = nullptr; // of the message boxes
        // Makes the journal of that ID current; false when there is none.
        std::function<bool(int journal)> showJournal;
        // Selects the day in the calendar and lists its entries.
        std::function<void(const QDate &day)> showDay;
        // A line for the status bar, and one for the log pane.
        std::function<void(const QString &)> status;
        std::function<void(const QString &)> log;
    };

    EntryCommands(EntryList &entries, Database &db, QString dataDir, Window window, QObject *parent = nullptr);

    // The unsaved-changes prompt, asked when the entry holds a change: Yes
    // stores it, No drops it. False when the user put the question off
    // (Cancel, Escape or the close box): the command that asked must not go
    // on, and the text stays in the editor. True when nothing was pending.
    bool settle();

    // New Entry: an entry of the day on view at the time now, stored at once.
    void newEntry();
    // Delete Entry: at once, without a question; Undo Delete brings it back.
    void deleteEntry();
    // Stores the last deleted entry again and shows it on its journal and day.
    void undoDelete();
    // Purge Entries: the dialog for the journal on view, then the statement,
    // then how many entries went.
    void purge(TdlgPurge &dialog);
    // At start: offers back the text kept by the recovery file, naming the
    // journal, day and title it belongs to.
    void offerRecovery();

    // Whether Undo Delete has an entry to bring back.
    bool canUndoDelete() const;

Q_SIGNALS:
    void undoDeleteChanged(bool available);

private:
    EntryList &m_entries;
    Database &m_db;
    QString m_dataDir;
    Window m_window;
};
