#pragma once

#include "data/Schema.h"

#include <QString>

// One table file on disk: creating it in the current format, reading its format
// version and upgrading it from an older format. Each call opens the file on a
// connection of its own and closes it again, so it may run before the database
// of the program is connected.
namespace TableFile {

// The full path of a table's file inside the data directory.
QString path(const QString &dataDir, const Schema::Table &table);

// Creates the file with its table, empty, in the current format. Throws
// WrenError when the file already exists or cannot be written.
void create(const QString &dataDir, const Schema::Table &table);

// The storage format recorded in the file (SQLite's user_version; 0 for a file
// that never recorded one). Throws WrenError when the file cannot be read.
int formatVersion(const QString &filePath);

// Brings the file to the current format in one transaction: the table is
// rebuilt with the current checks and index, every row and field value copied
// as it is (auto-increment counters included), and the version recorded. A file
// already in the current format is left alone. When a row breaks a check of the
// current format the whole upgrade is undone and WrenError names the file and
// the reason; the file is then unchanged.
void upgrade(const QString &dataDir, const Schema::Table &table);

} // namespace TableFile
