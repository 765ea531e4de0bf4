#pragma once

#include <QString>
#include <QStringList>

class Settings;

// The data-version check run once at start-up, before any table is opened.
//
// The settings file's General/Version records the version of the table files.
// "5.0" is current. "4.0" has the six files upgraded to the current storage
// format (Cookie.DAT only when it exists) and the key rewritten. Another value
// is reported and start-up goes on with nothing changed. A missing or empty
// key stops the program, unless the data directory is entirely new: then the
// six tables are created empty and the key written (a fresh start).
namespace DataVersion {

enum class Outcome {
    Current,      // "5.0": nothing to do
    FreshStart,   // nothing in the directory: tables created, Version written
    Upgraded,     // "4.0": files upgraded, Version now "5.0"
    WrongVersion, // another version: message shown, start-up goes on
    Missing,      // no Version: message shown, the program ends
};

struct Result {
    Outcome outcome = Outcome::Current;
    QString message;           // the text of the message box, empty when none
    QStringList upgradedFiles; // file names, in upgrade order
    bool mustExit() const { return outcome == Outcome::Missing; }
};

// The message for a missing Version (its line breaks are CR LF).
QString missingVersionMessage();
// The message for a version other than 4.0 and 5.0.
QString wrongVersionMessage();

// Runs the check on the data directory with its settings file. Engine and file
// system failures of the upgrade throw WrenError; the Version key is then not
// rewritten.
Result check(Settings &settings, const QString &dataDir);

// Creates empty any of the six tables whose file is missing; returns their file names.
QStringList createMissingTables(const QString &dataDir);

} // namespace DataVersion
