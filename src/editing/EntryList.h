#pragma once

#include "engine/TableHandle.h"
#include "publish/PublishTypes.h"

#include <QDate>
#include <QObject>
#include <QTime>

#include <functional>
#include <optional>

// The entries of the current journal on the selected day, as the main window
// lists and edits them: the live result of the entry query with the rules of
// new entries, storing and deleting.
//
// The list is browsing (nothing pending), editing (a change to the current
// entry not stored yet) or inserting (a new entry not stored yet). Moving to
// another entry stores the pending change of the entry left behind.
class EntryList : public QObject {
    Q_OBJECT
public:
    explicit EntryList(Database &db, QObject *parent = nullptr);

    // The journal and day the list shows; requery() runs the entry query for them.
    void setJournal(const JournalSettings &journal) { m_journal = journal; }
    const JournalSettings &journal() const { return m_journal; }
    void setDay(const QDate &day) { m_day = day; }
    const QDate &day() const { return m_day; }
    // The author of new entries when the logged-on user's name is used.
    void setUseLoginName(bool on) { m_useLoginName = on; }

    // Runs the entry query again; a pending change must be settled before.
    void requery();

    TableHandle &rows() { return m_jot; }
    int count() const { return m_jot.recordCount(); }
    bool hasPendingChange() const;

    // Moves to the entry in row i, storing a pending change of the one left.
    void select(int row);
    // Moves to the listed entry of that ID; false when it is not listed.
    bool locate(qlonglong id);
    // The current entry's title and text, and replacing them (which starts editing).
    QString title() const;
    QString text() const;
    void setTitle(const QString &title);
    void setText(const QString &text);
    // The editor that holds the text being typed. After textEdited() the
    // entry is editing and its text is read from the source only when it is
    // needed (storing, text()), so a key press costs no copy of the text.
    void setTextSource(std::function<QString()> source) { m_textSource = std::move(source); }
    void textEdited();

    // New Entry: a row of the selected day with the time now, stored at once.
    void newEntry(const QTime &now);
    // Stores the pending change; nothing when there is none.
    void store();
    // Drops the pending change.
    void discard();
    // Deletes the current entry; nothing when the list is empty. The entry is
    // kept until undoDelete() or the next delete.
    void deleteCurrent();
    // The last entry deleted, as it was stored (every field, its ID too).
    const std::optional<QSqlRecord> &lastDeleted() const { return m_lastDeleted; }
    // Stores the last deleted entry again with its ID, date, time, title and
    // text, and forgets it. The caller shows its journal and day.
    void undoDelete();
    // Forgets the deleted entry (the table files were replaced).
    void forgetDeleted() { m_lastDeleted.reset(); }
    // When the title box and the editor hold the stored title and text again
    // (undone back to them), and nothing else changed, the entry is no longer
    // editing. Both come as they would be stored.
    void dropIfBackToStored(const QString &shownTitle, const QString &shownText);
    // Puts back text that was never stored: on its day, into its entry, or
    // into a new entry of that day when the entry is gone (begun at the time
    // given, when valid). The journal must be set first; the entry is then
    // editing, as if it had been typed.
    void putBack(const QDate &day, qlonglong id, const QString &title, const QString &text,
                 const QTime &begun = QTime());

    // The author a new entry gets: the logged-on user's name when asked for and
    // known, else the journal's author; at most 30 characters.
    static QString authorFor(bool useLoginName, const QString &journalAuthor);
    static QString loginName();

Q_SIGNALS:
    void saveEnabledChanged(bool enabled);
    // The current row, or the rows, changed: the bound controls show it again.
    void currentChanged();
    void rowsChanged();
    // A pending change was stored or dropped.
    void settled();

public:
    // The text of the refusal to start an entry while there is no journal.
    static QString noJournalMessage();

private:
    void setSaveEnabled(bool on);
    void applyInsertDefaults();
    // Throws WrenError when no journal is on view: an entry would belong to none.
    void checkJournal() const;

    Database &m_db;
    TableHandle m_jot;
    JournalSettings m_journal;
    QDate m_day;
    bool m_useLoginName = false;
    bool m_saveEnabled = false;
    std::function<QString()> m_textSource;
    bool m_textPending = false; // the source holds a text the row has not taken yet
    std::optional<QSqlRecord> m_lastDeleted;
};
