#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its data: the table files, the settings file and the
// read-me file all lie in one directory.
namespace DataDirectory {

// How the data directory was chosen.
enum class Kind {
    Environment, // WREN_DATA_DIR names it
    Portable,    // the executable's own directory, which already holds the data
    User,        // the user's data folder, $XDG_DATA_HOME/wren
};

struct Location {
    QString path;
    Kind kind;
};

// The data directory of a program: the directory WREN_DATA_DIR names when that
// is set; else the executable's directory when it is a portable copy (it holds
// the settings file or a table file and is writable); else userPath(). The
// settings file name defaults to the one derived from the executable.
Location locate(const QString &executablePath, const QString &settingsFile = {});

// locate(executablePath).path.
QString path(const QString &executablePath);

// $XDG_DATA_HOME/wren, or ~/.local/share/wren when XDG_DATA_HOME is unset,
// empty or not an absolute path.
QString userPath();

// The files whose presence in a directory shows that it holds Wren's data:
// the six table files.
const QStringList &tableFiles();

// Creates the directory when it is missing, each new level readable by its
// owner only (0700); an existing directory is left as it is. Throws WrenError
// when the directory cannot be created.
void ensureExists(const QString &dir);

// The settings file name for an executable: its file name up to and including
// the first ".", then "INI"; a name without a "." gets "." and "INI" appended
// ("wren" gives "wren.INI", "my.tool" gives "my.INI").
QString settingsFileName(const QString &executablePath);

// The settings file's full path inside the data directory.
QString settingsFilePath(const QString &executablePath);

// The read-me file "Wren.txt": the one in the data directory, else the one in
// the installed documentation folder beside the executable's (share/doc/wren
// for bin/); empty when neither exists.
QString readMePath(const QString &dataDir, const QString &executablePath);
// The two places readMePath() looks, in its order.
QStringList readMeCandidates(const QString &dataDir, const QString &executablePath);

} // namespace DataDirectory
