#pragma once

#include <QByteArray>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;
class Database;

// Steps through the rows of one statement on the database's connection and
// gives each text value as the bytes the table holds: nothing is converted on
// the way, so a text that is not UTF-8 reaches a page, or comes back to the
// table, exactly as it was stored. Texts as QString use ByteText's lossless
// decoding. An engine error throws WrenError naming the table file.
class RowReader {
public:
    RowReader(const Database &db, const QString &statement);
    ~RowReader();
    RowReader(const RowReader &) = delete;
    RowReader &operator=(const RowReader &) = delete;

    // Binds a named parameter (":Jrnl") before the first next(). Integers and
    // texts bind as such (texts as their ByteText bytes), NULL as NULL.
    void bind(const QString &name, const QVariant &value);

    // Moves to the next row; false after the last one.
    bool next();
    // Makes the statement ready to run again from its first row, with new
    // parameters bound; it holds no read lock on the table meanwhile.
    void rewind();

    int columnCount() const;
    // The column of that name (letter case ignored), or -1.
    int column(const QString &name) const;

    bool isNull(int column) const;
    QByteArray bytes(int column) const;
    // The same bytes without a copy: they stay valid only until the next
    // next(), rewind() or the reader's end, and must be copied to be kept.
    QByteArray borrowedBytes(int column) const;
    QString text(int column) const;
    qlonglong integer(int column) const;
    // Integers as qlonglong, reals as double, texts as QString (lossless),
    // blobs as QByteArray, NULL as an invalid value.
    QVariant value(int column) const;

    // The current row as a record, fields named and typed as their columns.
    QSqlRecord record() const;
    // A record with the columns' names and no values.
    QSqlRecord emptyRecord() const;

private:
    const Database &m_db;
    QString m_statement;
    sqlite3_stmt *m_stmt = nullptr;
};
