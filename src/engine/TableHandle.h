#pragma once

#include "engine/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <vector>

// A cursor on the rows of one table, or of a SELECT over one table, with row
// editing: insert, edit, store, cancel and delete, and the events around them.
//
// Rows are read when the handle opens and again at refresh(); a row stored
// through another handle is seen after that handle's refresh. Rows come in
// ascending ID order unless the SELECT orders them. Every table has an
// auto-increment ID, which the engine assigns when an inserted row is stored
// and which identifies the row for edits and deletes.
//
// Leaving a row that is being edited or inserted (moving, refreshing, closing,
// inserting another) stores it when a field was changed and drops it when not.
// A store the engine refuses throws WrenError with the engine's message and
// leaves the row in its editing state, so nothing typed is lost.
class TableHandle {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    TableHandle(Database &database, QString tableName);

    // A filter expression over the table's fields ("Name=3 AND eDate='2002-07-24'"),
    // taking effect at the next open or refresh. Empty shows every row.
    void setFilter(const QString &filter);
    // Replaces the plain table by a SELECT over it with named parameters
    // (":Jrnl"); the rows stay editable through the table. Takes effect at the
    // next open or refresh.
    void setQuery(const QString &select, const QVariantMap &parameters);
    void setParameters(const QVariantMap &parameters);

    void open();
    void close();
    void refresh();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    const QString &tableName() const { return m_table; }

    // Browsing. At an empty handle every move leaves it at bof and eof.
    void first();
    void next();
    void prior();
    void last();
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_rows.empty() && m_state != State::Insert; }
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int recNo() const { return m_current; } // 0-based; -1 when there is no row

    // Positions on the row with the given ID; false (and no move) when none.
    bool locate(qlonglong id);

    // The current row's field, or an invalid value when there is no row.
    QVariant value(const QString &field) const;
    // The current row with every field (the row being edited, when editing).
    QSqlRecord currentRecord() const;
    // The current row as stored, before any edit of it; empty when there is none.
    QSqlRecord storedRecord() const;
    // A field of the row at index row (0-based), whatever the current row; the
    // edited value for the current row while it is being edited.
    QVariant valueAt(int row, const QString &field) const;
    // Sets a field of the current row, starting an edit when browsing.
    void setValue(const QString &field, const QVariant &value);
    bool isModified() const { return m_modified; }

    void insert(); // a new empty row at the end, current
    void edit();
    void post();
    void cancel();
    void remove(); // deletes the current row from the table
    // Stores a row removed before, its ID and every field as they were; the
    // handle shows it after its next refresh. A row of that ID must not exist.
    void putBack(const QSqlRecord &row);

    std::function<void()> afterInsert;
    std::function<void()> afterEdit;
    // Runs when a pending row is about to be stored, and may still set its fields.
    std::function<void()> beforePost;
    std::function<void()> afterPost;
    std::function<void()> beforeScroll;
    std::function<void()> afterScroll;

private:
    void readRows();
    // Runs an INSERT or UPDATE of post(); a refusal is reported in the program's words.
    void runStore(QSqlQuery &query);
    void checkBrowseMode();
    void moveTo(int row);
    qlonglong currentId() const;

    Database &m_db;
    QString m_table;
    QString m_filter;
    QString m_select;
    QVariantMap m_parameters;
    QSqlRecord m_emptyRecord;

    std::vector<QSqlRecord> m_rows;
    QSqlRecord m_buffer; // the row being edited or inserted
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    State m_state = State::Inactive;
};
