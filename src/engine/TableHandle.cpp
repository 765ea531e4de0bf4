#include "TableHandle.h"

#include "base/ByteText.h"
#include "base/WrenError.h"
#include "data/Schema.h"
#include "data/StoredValue.h"
#include "engine/RowReader.h"

#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>

#include <algorithm>

namespace {

// A date or time field must hold a day or time that exists: the pattern
// alone would let "2026-11-31" or "25:61:00" through, and such a value later
// stops every page built from it.
void checkCalendarValue(const QString &tableName, const QString &fieldName, const QVariant &value)
{
    if (value.isNull() || value.toString().isEmpty())
        return;
    const Schema::Table *table = nullptr;
    for (const Schema::Table &t : Schema::tables())
        if (t.name.compare(tableName, Qt::CaseInsensitive) == 0)
            table = &t;
    if (!table)
        return;
    for (const Schema::Field &field : table->fields) {
        if (field.name.compare(fieldName, Qt::CaseInsensitive) != 0)
            continue;
        const QString text = value.toString();
        bool real = true;
        const char *what = nullptr;
        if (field.type == Schema::FieldType::Date) {
            what = "date";
            real = text.size() == 10 && StoredValue::day(text.toUtf8()).isValid();
        } else if (field.type == Schema::FieldType::Time) {
            what = "time";
            real = text.size() == 8 && StoredValue::time(text.toUtf8()).isValid();
        } else if (field.type == Schema::FieldType::DateTime) {
            what = "date and time";
            // Date and time apart: a local clock change must not make a stored value "impossible".
            real = text.size() == 23 && QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")).isValid() &&
                   QTime::fromString(text.mid(11), QStringLiteral("HH:mm:ss.zzz")).isValid();
        }
        if (!real)
            throw WrenError(QStringLiteral("%1 of %2: \"%3\" is no %4 of the calendar")
                                .arg(field.name, table->name, text, QLatin1String(what)));
        return;
    }
}

// The placeholder and the value that store v: a text holding bytes that are
// not UTF-8 goes in as those bytes, still a text.
void addValue(const QVariant &v, QStringList &marks, QVariantList &values)
{
    if (v.typeId() == QMetaType::QString && ByteText::hasEscapes(v.toString())) {
        marks << QStringLiteral("CAST(? AS TEXT)");
        values << QVariant(ByteText::encode(v.toString()));
    } else {
        marks << QStringLiteral("?");
        values << v;
    }
}

} // namespace

TableHandle::TableHandle(Database &database, QString tableName) : m_db(database), m_table(std::move(tableName)) {}

void TableHandle::setFilter(const QString &filter)
{
    m_filter = filter;
}

void TableHandle::setQuery(const QString &select, const QVariantMap &parameters)
{
    m_select = select;
    m_parameters = parameters;
}

void TableHandle::setParameters(const QVariantMap &parameters)
{
    m_parameters = parameters;
}

void TableHandle::readRows()
{
    QString text = m_select;
    if (text.isEmpty()) {
        text = QStringLiteral("SELECT * FROM ") + m_table;
        if (!m_filter.isEmpty())
            text += QStringLiteral(" WHERE ") + m_filter;
        text += QStringLiteral(" ORDER BY ID");
    } else if (!m_filter.isEmpty()) {
        text = QStringLiteral("SELECT * FROM (%1) WHERE %2").arg(text, m_filter);
    }
    // Texts are read as stored, so one that is not UTF-8 comes back unchanged.
    RowReader query(m_db, text);
    for (auto it = m_parameters.cbegin(); it != m_parameters.cend(); ++it)
        query.bind(u':' + it.key(), it.value());

    std::vector<QSqlRecord> rows;
    while (query.next())
        rows.push_back(query.record());
    m_emptyRecord = query.emptyRecord();
    // A SELECT without an order gives its rows in creation order.
    if (!m_select.isEmpty() && !m_select.contains(QLatin1String("ORDER BY"), Qt::CaseInsensitive) &&
        m_emptyRecord.indexOf(QStringLiteral("ID")) >= 0) {
        std::stable_sort(rows.begin(), rows.end(), [](const QSqlRecord &a, const QSqlRecord &b) {
            return a.value(QStringLiteral("ID")).toLongLong() < b.value(QStringLiteral("ID")).toLongLong();
        });
    }
    for (int i = 0; i < m_emptyRecord.count(); ++i)
        m_emptyRecord.setValue(i, QVariant());
    m_rows = std::move(rows);
}

void TableHandle::open()
{
    if (isOpen())
        return;
    readRows();
    m_state = State::Browse;
    moveTo(m_rows.empty() ? -1 : 0);
    m_bof = true;
}

void TableHandle::close()
{
    if (!isOpen())
        return;
    checkBrowseMode();
    m_rows.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_state = State::Inactive;
}

void TableHandle::refresh()
{
    if (!isOpen())
        throw WrenError(QStringLiteral("The table %1 is not open").arg(m_table));
    checkBrowseMode();
    const qlonglong id = currentId();
    const int oldRow = m_current;
    readRows();
    if (m_rows.empty()) {
        moveTo(-1);
        return;
    }
    if (id >= 0 && locate(id))
        return;
    moveTo(std::clamp(oldRow, 0, recordCount() - 1));
}

qlonglong TableHandle::currentId() const
{
    if (m_current < 0 || m_current >= recordCount())
        return -1;
    const QVariant id = m_rows[m_current].value(QStringLiteral("ID"));
    return id.isNull() ? -1 : id.toLongLong();
}

void TableHandle::moveTo(int row)
{
    m_current = row;
    m_bof = m_eof = m_rows.empty();
}

void TableHandle::checkBrowseMode()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void TableHandle::first()
{
    checkBrowseMode();
    if (beforeScroll)
        beforeScroll();
    moveTo(m_rows.empty() ? -1 : 0);
    m_bof = true;
    if (afterScroll)
        afterScroll();
}

void TableHandle::last()
{
    checkBrowseMode();
    if (beforeScroll)
        beforeScroll();
    moveTo(recordCount() - 1);
    m_eof = true;
    if (afterScroll)
        afterScroll();
}

void TableHandle::next()
{
    checkBrowseMode();
    if (m_current + 1 >= recordCount()) {
        m_eof = true;
        return;
    }
    if (beforeScroll)
        beforeScroll();
    moveTo(m_current + 1);
    if (afterScroll)
        afterScroll();
}

void TableHandle::prior()
{
    checkBrowseMode();
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    if (beforeScroll)
        beforeScroll();
    moveTo(m_current - 1);
    if (afterScroll)
        afterScroll();
}

bool TableHandle::locate(qlonglong id)
{
    for (int i = 0; i < recordCount(); ++i) {
        if (m_rows[i].value(QStringLiteral("ID")).toLongLong() == id) {
            if (i != m_current) {
                checkBrowseMode();
                if (beforeScroll)
                    beforeScroll();
                moveTo(i);
                if (afterScroll)
                    afterScroll();
            }
            return true;
        }
    }
    return false;
}

QVariant TableHandle::value(const QString &field) const
{
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer.value(field);
    if (m_current < 0 || m_current >= recordCount())
        return {};
    return m_rows[m_current].value(field);
}

QSqlRecord TableHandle::currentRecord() const
{
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer;
    if (m_current < 0 || m_current >= recordCount())
        return m_emptyRecord;
    return m_rows[m_current];
}

QSqlRecord TableHandle::storedRecord() const
{
    return m_current >= 0 && m_current < recordCount() ? m_rows[m_current] : QSqlRecord();
}

QVariant TableHandle::valueAt(int row, const QString &field) const
{
    if (row < 0 || row >= recordCount())
        return {};
    if (row == m_current && m_state == State::Edit)
        return m_buffer.value(field);
    return m_rows[row].value(field);
}

void TableHandle::setValue(const QString &field, const QVariant &value)
{
    if (m_state == State::Browse)
        edit();
    if (m_buffer.indexOf(field) < 0)
        throw WrenError(QStringLiteral("Field '%1' not found").arg(field));
    m_buffer.setValue(field, value);
    m_modified = true;
}

void TableHandle::insert()
{
    if (!isOpen())
        throw WrenError(QStringLiteral("The table %1 is not open").arg(m_table));
    checkBrowseMode();
    m_buffer = m_emptyRecord;
    m_state = State::Insert;
    m_modified = false;
    m_bof = m_eof = false;
    if (afterInsert)
        afterInsert();
}

void TableHandle::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_state != State::Browse || m_current < 0)
        throw WrenError(QStringLiteral("There is no row of %1 to edit").arg(m_table));
    m_buffer = m_rows[m_current];
    m_state = State::Edit;
    m_modified = false;
    if (afterEdit)
        afterEdit();
}

void TableHandle::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    m_state = State::Browse;
    m_modified = false;
    m_buffer = QSqlRecord();
    moveTo(m_rows.empty() ? -1 : std::clamp(m_current, 0, recordCount() - 1));
}

void TableHandle::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (beforePost)
        beforePost();
    QSqlQuery query(m_db.connection());
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (int i = 0; i < m_buffer.count(); ++i) {
        const QString name = m_buffer.fieldName(i);
        if (name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            continue;
        if (m_state == State::Edit && m_buffer.value(i) == m_rows[m_current].value(i) &&
            m_buffer.isNull(i) == m_rows[m_current].isNull(i))
            continue;
        checkCalendarValue(m_table, name, m_buffer.value(i));
        names << name;
        addValue(m_buffer.value(i), marks, values);
    }
    qlonglong id = -1;
    if (m_state == State::Insert) {
        query.prepare(
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, names.join(u','), marks.join(u',')));
        for (const QVariant &v : values)
            query.addBindValue(v);
        runStore(query);
        id = query.lastInsertId().toLongLong();
    } else {
        id = currentId();
        if (!names.isEmpty()) {
            QStringList sets;
            for (qsizetype k = 0; k < names.size(); ++k)
                sets << names[k] + u'=' + marks[k];
            query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE ID=?").arg(m_table, sets.join(u',')));
            for (const QVariant &v : values)
                query.addBindValue(v);
            query.addBindValue(id);
            runStore(query);
        }
    }

    // Read the stored row back, with the values the engine assigned.
    RowReader stored(m_db, QStringLiteral("SELECT * FROM %1 WHERE ID=%2").arg(m_table).arg(id));
    QSqlRecord row = m_buffer;
    if (stored.next()) {
        const QSqlRecord fresh = stored.record();
        for (int i = 0; i < row.count(); ++i)
            row.setValue(i, fresh.value(row.fieldName(i)));
    }
    if (m_state == State::Insert) {
        m_rows.push_back(row);
        m_current = recordCount() - 1;
    } else {
        m_rows[m_current] = row;
    }
    m_state = State::Browse;
    m_modified = false;
    m_buffer = QSqlRecord();
    m_bof = m_eof = false;
    if (afterPost)
        afterPost();
}

void TableHandle::runStore(QSqlQuery &query)
{
    try {
        m_db.run(query);
    } catch (const WrenError &error) {
        // The engine names the rule it applied; the user reads which row and why.
        QString reason = error.message();
        static const QLatin1String kCheck("CHECK constraint failed: ");
        static const QLatin1String kNotNull("NOT NULL constraint failed: ");
        if (reason.startsWith(kCheck)) {
            reason = reason.mid(kCheck.size());
        } else if (reason.startsWith(kNotNull)) {
            reason = reason.mid(kNotNull.size());
            reason = reason.mid(reason.indexOf(u'.') + 1) + QStringLiteral(" is required");
        }
        const QString row = m_state == State::Insert ? QStringLiteral("A new row of %1").arg(m_table)
                                                     : QStringLiteral("Row %1 of %2").arg(currentId()).arg(m_table);
        throw WrenError(QStringLiteral("%1 was not stored: %2").arg(row, reason));
    }
}

void TableHandle::putBack(const QSqlRecord &row)
{
    checkBrowseMode();
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (int i = 0; i < row.count(); ++i) {
        names << row.fieldName(i);
        addValue(row.value(i), marks, values);
    }
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, names.join(u','), marks.join(u',')));
    for (const QVariant &v : std::as_const(values))
        query.addBindValue(v);
    m_db.run(query);
}

void TableHandle::remove()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    const qlonglong id = currentId();
    if (id < 0)
        throw WrenError(QStringLiteral("There is no row of %1 to delete").arg(m_table));
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE ID=?").arg(m_table));
    query.addBindValue(id);
    m_db.run(query);
    m_rows.erase(m_rows.begin() + m_current);
    moveTo(m_rows.empty() ? -1 : std::min(m_current, recordCount() - 1));
    if (afterScroll)
        afterScroll();
}
