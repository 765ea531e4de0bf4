#pragma once

#include <QDate>
#include <QList>
#include <QString>

// Copies of the six table files and the settings file, one folder per copy
// ("2026-12-09", a second one of the same day "2026-12-09-2") under a backup
// folder, normally "Backups" in the data directory. Table files are copied
// with SQLite's online backup, so a copy taken while another connection is
// writing holds the last committed state and nothing half written.
namespace Backup {

struct Info {
    QString path;     // the backup's folder
    QString name;     // its folder name
    QDate date;       // the day it was taken
    int entries = -1; // rows of its journal table; -1 when that file cannot be read
};

// "Backups" in the data directory.
QString defaultRoot(const QString &dataDir);

// The backups under root, newest first.
QList<Info> list(const QString &root);

// Whether no backup under root was taken on today or later.
bool due(const QString &root, const QDate &today);

// Writes a new backup of dataDir's table files and of settingsFile (left out
// when it does not exist) under root, then keeps the newest `keep`. The copy
// is built in a hidden folder and renamed when complete. Nothing in root is
// followed through a link: a link under a backup's name is removed as a
// link, and pruning removes only real folders that hold nothing but Wren's
// own files. The folder is 0700 and every copy in it 0600. Returns the new
// backup's folder; failures throw WrenError naming the file.
QString write(const QString &dataDir, const QString &settingsFile, const QString &root, const QDate &today,
              int keep = 14);

// Puts the backup in backupDir back into dataDir and settingsFile, after
// writing the current files as a backup of their own under root (returned, so
// that the restore can be undone). Table files are written through the online
// backup as well, so connections open on them see the restored rows.
QString restore(const QString &backupDir, const QString &dataDir, const QString &settingsFile, const QString &root,
                const QDate &today);

// Copies one SQLite file to another through the online backup API; a busy
// source is waited for (up to timeoutMs) rather than copied half written.
void copyDatabase(const QString &from, const QString &to, int timeoutMs = 10000);

} // namespace Backup
