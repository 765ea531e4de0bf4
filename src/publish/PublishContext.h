#pragma once

#include "publish/Clock.h"
#include "publish/NameTables.h"
#include "publish/PublishTypes.h"

#include <QString>

class Database;
class Settings;
class SiteTransfer;
struct PendingLists;

// Everything one publish or archive command works with. The references must
// outlive the command.
struct PublishContext {
    Database &db;
    Settings &settings; // the cookie sequence is read and written here
    PublishOptions options;
    Clock clock;
    NameTables names;
    QString stagingDir;
    JournalSettings journal; // the current journal
    SiteTransfer &transfer;  // log lines and failures go through it
    PendingLists &pending;
    LogSink log;
};

// The values one page build works with.
struct PageRequest {
    UploadRow upload;
    QDate firstDay;
    QDate lastDay;
    bool archiveMode = false;
};
