#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

#include <optional>

struct sqlite3;

// The named database "Wren": one SQLite connection with the six table files of
// the data directory attached, so that statements name tables as "Journal" or
// "Upload" whichever file holds them.
//
// The connection is set up for the statements of the program: LIKE compares
// letter case exactly (a case-blind search goes through UPPER, which folds only
// a to z), and the engine's temporary files go to the staging directory.
class Database {
public:
    explicit Database(QString connectionName = QStringLiteral("Wren"));
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Connects to the table files of dataDir, all of which must exist. The
    // engine's temporary files go to tempDir (may be empty: the system's then).
    // Throws WrenError with the engine's message when a file cannot be attached
    // or was written by a newer program.
    void open(const QString &dataDir, const QString &tempDir = QString());
    void close();
    bool isOpen() const;

    const QString &dataDir() const { return m_dataDir; }
    const QString &connectionName() const { return m_name; }
    QSqlDatabase connection() const;

    // Runs one statement and returns the positioned-before-first query. An
    // engine error throws WrenError carrying the engine's message.
    QSqlQuery run(const QString &statement) const;
    // Runs a prepared statement with its values already bound.
    void run(QSqlQuery &prepared) const;

    // The first row of a SELECT, or nothing when there is none. A row whose
    // every value is empty (an aggregate such as MAX over no rows) counts as none.
    std::optional<QSqlRecord> firstRow(const QString &statement) const;

    // Every stored row is committed when it is stored, so outside a transaction
    // nothing is buffered. Inside one, the flush writes the changed pages held
    // in memory to the files (SQLite's cache flush), so that they do not wait
    // for the commit.
    void flush();

    // Gives back the memory the connection keeps for statements and pages it no
    // longer uses, the counterpart of closing idle connections at shutdown.
    void closeIdleConnections();

    // The connection's engine handle, for RowReader; null when not open.
    sqlite3 *handle() const;

    // Throws WrenError for an engine error of the statement, naming the table
    // file at fault ("Journal.DAT: database is locked") when the statement
    // names one table, or the one of its tables that fails to read.
    [[noreturn]] void fail(const QString &statement, int code, const QString &message) const;

private:
    QString m_name;
    QString m_dataDir;
};
