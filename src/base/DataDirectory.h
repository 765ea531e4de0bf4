#pragma once

#include <QString>

// Where the program keeps its data: the table files, the settings file and the
// read-me file all lie in one directory.
namespace DataDirectory {

// The directory named by WREN_DATA_DIR when that is set, else the directory of
// the executable.
QString path(const QString &executablePath);

// The settings file name for an executable: its file name up to and including
// the first ".", then "INI"; a name without a "." gets "." and "INI" appended
// ("wren" gives "wren.INI", "my.tool" gives "my.INI").
QString settingsFileName(const QString &executablePath);

// The settings file's full path inside the data directory.
QString settingsFilePath(const QString &executablePath);

} // namespace DataDirectory
