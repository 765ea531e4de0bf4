#include "JournalCommands.h"

#include "ui/Prompt.h"
#include "base/Settings.h"
#include "base/WrenError.h"
#include "data/Statements.h"
#include "engine/Backup.h"
#include "engine/Database.h"
#include "manage/TdlgNewJournal.h"
#include "manage/TdlgRestore.h"

#include <QDate>

JournalCommands::JournalCommands(Database &db, QString dataDir, QString settingsFile,
                                 std::function<void(const QString &)> log, QWidget *parent)
    : QObject(parent), m_db(db), m_dataDir(std::move(dataDir)), m_settingsFile(std::move(settingsFile)),
      m_log(std::move(log)), m_parent(parent)
{
}

TdlgNewJournal &JournalCommands::newJournalDialog()
{
    if (!m_dlgNewJournal)
        m_dlgNewJournal = new TdlgNewJournal(m_parent);
    return *m_dlgNewJournal;
}

void JournalCommands::backupIfDue()
{
    const QString root = Backup::defaultRoot(m_dataDir);
    const QDate today = QDate::currentDate();
    if (!Backup::due(root, today))
        return;
    // Until a journal (or an entry) exists there is nothing of the user's to keep.
    const auto journals = m_db.firstRow(Statements::journalCount());
    const auto lost = m_db.firstRow(Statements::entriesWithoutJournal());
    if (journals && journals->value(0).toInt() == 0 && lost && lost->value(0).toInt() == 0)
        return;
    try {
        m_log(QStringLiteral("Backup written to ") + Backup::write(m_dataDir, m_settingsFile, root, today));
    } catch (const WrenError &error) {
        m_log(QStringLiteral("Backup failed: ") + error.message());
    }
}

bool JournalCommands::restore(const std::function<bool()> &settle)
{
    const QString root = Backup::defaultRoot(m_dataDir);
    TdlgRestore dialog(Backup::list(root), m_parent);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen().path.isEmpty())
        return false;
    const Backup::Info chosen = dialog.chosen();
    if (!Prompt::confirm(m_parent, QStringLiteral("Replace the journals with the backup of %1 (%2 entries)? The "
                                                  "current files are kept as a backup of their own.")
                                       .arg(chosen.name)
                                       .arg(chosen.entries)))
        return false;
    if (!settle())
        return false;
    const QString before = Backup::restore(chosen.path, m_dataDir, m_settingsFile, root, QDate::currentDate());
    m_log(QStringLiteral("Restored the backup %1; the files replaced are in %2").arg(chosen.name, before));
    return true;
}

std::optional<JournalCreated> JournalCommands::newJournal(const QString &author)
{
    TdlgNewJournal &dialog = newJournalDialog();
    dialog.reset(author);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const JournalAnswers answers = dialog.answers();
    const JournalCreated made = JournalSetup::create(m_db, answers);
    if (answers.markdown)
        Settings(m_settingsFile).setEntryFormat(made.journal, EntryFormat::Markdown);
    if (made.feedUpload != 0)
        m_log(QStringLiteral("Created the journal %1 with its site, templates, feed and uploads").arg(answers.name));
    else if (answers.feed)
        m_log(QStringLiteral("Created the journal %1 with its site, templates and uploads; no feed, since feed "
                             "readers need the journal's web address (http:// or https://)")
                  .arg(answers.name));
    else
        m_log(QStringLiteral("Created the journal %1 with its site, templates and uploads").arg(answers.name));
    return made;
}
