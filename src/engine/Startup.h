#pragma once

#include "engine/DataVersion.h"

#include <QString>
#include <QStringList>

#include <functional>

class Database;
class Settings;

// The start-up of a data directory, shared by the window and the headless
// publisher: the data-version check (with the fresh start), the tables missing
// beside existing ones, and the database connected to the directory.
namespace Startup {

struct Result {
    DataVersion::Result version;
    QStringList createdTables; // files created empty beside existing ones
    bool databaseOpen = false; // false only when the version check ends the program
    // The directory was empty and now holds the empty tables.
    bool freshStart() const { return version.outcome == DataVersion::Outcome::FreshStart; }
};

// Called with the version check's result before any table is created or
// opened, so that its message comes before a failure of those steps.
using VersionChecked = std::function<void(const DataVersion::Result &)>;

// Engine and file system failures throw WrenError.
Result openDataDirectory(Settings &settings, const QString &dataDir, const QString &stagingDir, Database &database,
                         const VersionChecked &checked = {});

} // namespace Startup
