#pragma once

#include "base/Settings.h"
#include "publish/Clock.h"
#include "publish/NameTables.h"
#include "publish/PublishTypes.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Database;
class MarkdownAhead;
class RowReader;
struct BlockProgram;
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
    SiteTransfer &transfer;  // every log line and failure goes through it
    PendingLists &pending;

    // What a command reads of the journal again and again and that does not
    // change while it runs: its first and last entry day, and the archive
    // index tables built so far, by extension and column count.
    struct Reused {
        std::optional<std::optional<QDate>> firstEntryDay, lastEntryDay;
        // The days that hold entries, oldest first.
        std::optional<std::vector<QDate>> entryDays;
        std::map<std::pair<QByteArray, int>, QByteArray> archiveIndexes;
        // Whether such a table holds "<Wren>" or "</Wren>" in any letter case.
        std::map<std::pair<QByteArray, int>, bool> archiveIndexMarkers;
        // The templates read so far, by ID (a template file is looked at once a command).
        std::map<int, std::optional<QByteArray>> templates;
        // The statement of a page's entries, prepared once; the range is bound per page.
        std::shared_ptr<RowReader> pageEntries;
        // The entry block of the last page, read into its steps.
        std::shared_ptr<const BlockProgram> block;
        // How the journal's entries are written, from the settings file.
        std::optional<EntryFormat> entryFormat;
        // A Markdown journal's entries of the archive range, converted ahead.
        std::shared_ptr<MarkdownAhead> markdownAhead;
    };
    Reused reused{};
};

// The values one page build works with.
struct PageRequest {
    UploadRow upload;
    QDate firstDay;
    QDate lastDay;
    bool archiveMode = false;
};
