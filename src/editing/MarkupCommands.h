#pragma once

#include "base/Settings.h"

#include <QObject>
#include <QString>

#include <functional>

class Database;
class QDate;
class QPlainTextEdit;
class QWidget;
class TdlgEntries;
class TdlgLink;
class TfrmFind;
class TfrmList;
struct LinkTarget;
struct JournalSettings;
struct PendingLists;

// The commands that put a link into the entry through a dialog: a hyperlink,
// an image, a file, and a link to another entry chosen from a day's entries
// or from the results of a search. The text selected in the editor becomes
// the link's text, and the markup takes its place as typing would (one step
// to undo). Images and files join the pending lists of the next publish.
class MarkupCommands : public QObject {
public:
    // The dialogs are made here, owned by parent; journal tells the journal on view.
    MarkupCommands(QPlainTextEdit *editor, Database &db, PendingLists &pending,
                   std::function<const JournalSettings &()> journal, QWidget *parent);

    // Markdown: the links go in as Markdown.
    void setEntryFormat(EntryFormat format) { m_format = format; }
    EntryFormat entryFormat() const { return m_format; }

    void link();
    void image();
    void file();
    // Insert Entry Link: today's entries of the journal on view.
    void entry();
    // Find: the entries that hold a text, in this journal or all.
    void find();

    // The editor's selection with line breaks, and putting a text in its place.
    QString selectedText() const;
    void replaceSelection(const QString &text);

    TdlgLink &linkDialog() { return *m_dlgLink; }
    TdlgEntries &entriesDialog() { return *m_dlgEntries; }
    TfrmFind &findWindow() { return *m_frmFind; }
    TfrmList &listWindow() { return *m_frmList; }

private:
    // Puts a link to the entry, in the journal's form, in place of the selection.
    void linkTo(const LinkTarget &target);

    QPlainTextEdit *m_editor;
    Database &m_db;
    PendingLists &m_pending;
    std::function<const JournalSettings &()> m_journal;
    TdlgLink *m_dlgLink;
    TdlgEntries *m_dlgEntries;
    TfrmFind *m_frmFind;
    TfrmList *m_frmList;
    EntryFormat m_format = EntryFormat::Html;
};
