#include "EntryCommands.h"

#include "ui/Prompt.h"
#include "engine/Journals.h"
#include "base/WrenError.h"
#include "editing/EntryList.h"
#include "editing/EntryRecovery.h"
#include "editing/Markup.h"
#include "editing/TdlgPurge.h"
#include "engine/Database.h"

#include <QLocale>
#include <QSqlRecord>
#include <QTime>

EntryCommands::EntryCommands(EntryList &entries, Database &db, QString dataDir, Window window, QObject *parent)
    : QObject(parent), m_entries(entries), m_db(db), m_dataDir(std::move(dataDir)), m_window(std::move(window))
{
}

bool EntryCommands::settle()
{
    if (!m_entries.hasPendingChange())
        return true;
    switch (Prompt::askOrCancel(m_window.parent, QStringLiteral("You have unsaved Changes! Save?"))) {
    case Prompt::Answer::Yes:
        m_entries.store();
        return true;
    case Prompt::Answer::No:
        m_entries.discard();
        return true;
    case Prompt::Answer::Cancel:
        break;
    }
    return false;
}

void EntryCommands::newEntry()
{
    if (!settle())
        return;
    m_entries.newEntry(QTime::currentTime());
}

bool EntryCommands::canUndoDelete() const
{
    return m_entries.lastDeleted().has_value();
}

void EntryCommands::deleteEntry()
{
    if (!settle() || m_entries.count() == 0)
        return;
    m_entries.deleteCurrent();
    if (canUndoDelete()) {
        m_window.status(QStringLiteral("Entry deleted: Undo Delete brings it back"));
        Q_EMIT undoDeleteChanged(true);
    }
}

void EntryCommands::undoDelete()
{
    if (!canUndoDelete()) {
        m_window.status(QStringLiteral("No deleted entry to bring back"));
        return;
    }
    if (!settle())
        return;
    const QSqlRecord deleted = *m_entries.lastDeleted();
    const int journal = deleted.value(QStringLiteral("Name")).toInt();
    const QDate day = QDate::fromString(deleted.value(QStringLiteral("eDate")).toString(), Qt::ISODate);
    if (journal != m_entries.journal().id && !m_window.showJournal(journal))
        throw WrenError(QStringLiteral("The journal of the deleted entry is gone: the entry cannot come back"));
    m_entries.undoDelete();
    Q_EMIT undoDeleteChanged(false);
    m_window.showDay(day);
    m_entries.locate(deleted.value(QStringLiteral("ID")).toLongLong());
    m_window.status(QStringLiteral("Entry brought back"));
}

void EntryCommands::purge(TdlgPurge &dialog)
{
    const JournalSettings journal = m_entries.journal();
    dialog.setJournalName(journal.name);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString statement = PurgeStatement(dialog.request(), journal.id, QDate::currentDate());
    if (statement.isEmpty())
        return;
    // A pending change is settled first: storing it later could bring a
    // purged entry back, and dropping it unasked would lose what was typed.
    if (!settle())
        return;
    const PurgeOutcome outcome = RunPurge(m_db, statement, journal.name);
    m_entries.requery();
    m_window.status(outcome.line);
    m_window.log(outcome.line);
}

void EntryCommands::offerRecovery()
{
    const std::optional<RecoveredEntry> found = EntryRecovery::read(m_dataDir);
    if (!found)
        return;
    const std::optional<JournalSettings> owner = Journals::load(m_db, found->journal);
    const QString journal = owner ? owner->name : QStringLiteral("a journal that is gone");
    const QString day = QLocale::system().toString(found->day, QLocale::LongFormat);
    const QString what = found->id == 0 ? QStringLiteral("a new entry") : QStringLiteral("an entry");
    const QString title = found->title.isEmpty() ? QStringLiteral("without a title")
                                                 : QStringLiteral("\"%1\"").arg(found->title.left(80));
    const QString question =
        QStringLiteral("Wren closed before %1 of %2 on %3 (%4) was saved.\r\nPut the unsaved text back?")
            .arg(what, journal, day, title);
    // Escape keeps the text: it comes back unsaved, and the user can still drop it.
    if (!Prompt::ask(m_window.parent, question, QStringLiteral("Wren"), QMessageBox::Yes)) {
        EntryRecovery::remove(m_dataDir);
        return;
    }
    if (found->journal != m_entries.journal().id)
        m_window.showJournal(found->journal);
    m_window.showDay(found->day);
    m_entries.putBack(found->day, found->id, found->title, found->entry, found->begun);
}
