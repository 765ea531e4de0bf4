#pragma once

#include "manage/JournalSetup.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Database;
class QWidget;
class TdlgNewJournal;

// The commands that make or replace journals as a whole: the backup taken at
// the first start of a day, Restore from Backup, and the New Journal
// assistant. Each writes its log line; the window shows the journal that
// results.
class JournalCommands : public QObject {
public:
    JournalCommands(Database &db, QString dataDir, QString settingsFile, std::function<void(const QString &)> log,
                    QWidget *parent);

    // The start-up backup, when none was taken today and the data directory
    // holds a journal or an entry; a failure is logged and the next start
    // tries again.
    void backupIfDue();
    // Lists the backups and puts the chosen one back after the user confirms;
    // settle runs just before the files are replaced, and false from it stops
    // the restore. True when they were replaced.
    bool restore(const std::function<bool()> &settle);
    // The assistant, then the rows it answers for; nothing when cancelled.
    // The name the journal got is in the dialog's answers.
    std::optional<JournalCreated> newJournal(const QString &author);
    TdlgNewJournal &newJournalDialog();

private:
    Database &m_db;
    QString m_dataDir, m_settingsFile;
    std::function<void(const QString &)> m_log;
    QWidget *m_parent;
    TdlgNewJournal *m_dlgNewJournal = nullptr;
};
