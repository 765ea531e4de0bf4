#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The six tables of the journal database: their files, fields and stored forms.
//
// Each table is one SQLite file in the data directory holding one table of the
// same name. Stored forms are plain SQLite so that any SQLite tool can read and
// write the files:
//   auto-increment  INTEGER PRIMARY KEY AUTOINCREMENT
//   integer         INTEGER            boolean  INTEGER 0 or 1
//   date            TEXT 'YYYY-MM-DD'  time     TEXT 'HH:MM:SS'
//   date-time       TEXT 'YYYY-MM-DD HH:MM:SS.zzz'
//   string(n)       TEXT of at most n characters      memo  TEXT
// The checks that keep these forms are named, so a refused row comes back with
// a readable reason ("CHECK constraint failed: Name is longer than 50 characters").
namespace Schema {

// The storage format of the table files, kept in each file's user_version.
constexpr int kFormatVersion = 5;
// The format before it: the same tables and fields, without the checks on
// lengths, types and required fields, and without the entry index.
constexpr int kPreviousFormatVersion = 4;

enum class FieldType { AutoIncrement, Integer, Boolean, Date, Time, DateTime, String, Memo };

struct Field {
    QString name;
    FieldType type;
    int size = 0; // the maximum length of a string field
    bool required = false;
};

struct Table {
    QString name; // "Journal"
    QString file; // "Journal.DAT"
    std::vector<Field> fields;
};

// The six tables in the order the data-version upgrade takes them: Names,
// Templates, Journal, Cookie, Sites, Upload.
const std::vector<Table> &tables();

// The table of the given name (letter case ignored); throws WrenError when none.
const Table &table(const QString &name);

// The statements that create a table in the current format inside its own file.
QStringList createStatements(const Table &table);

} // namespace Schema
