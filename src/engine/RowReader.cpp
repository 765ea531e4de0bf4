#include "RowReader.h"

#include "base/ByteText.h"
#include "base/WrenError.h"
#include "engine/Database.h"

#include <QSqlField>

#include <sqlite3.h>

RowReader::RowReader(const Database &db, const QString &statement) : m_db(db), m_statement(statement)
{
    sqlite3 *handle = db.handle();
    if (!handle)
        throw WrenError(QStringLiteral("The database is not open"));
    const QByteArray text = statement.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK)
        db.fail(statement, sqlite3_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
}

RowReader::~RowReader()
{
    sqlite3_finalize(m_stmt);
}

void RowReader::bind(const QString &name, const QVariant &value)
{
    const int index = sqlite3_bind_parameter_index(m_stmt, name.toUtf8().constData());
    if (index == 0)
        return; // the statement does not use it
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(m_stmt, index);
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    default: {
        if (value.isNull()) {
            sqlite3_bind_null(m_stmt, index);
            break;
        }
        const QByteArray bytes = ByteText::encode(value.toString());
        sqlite3_bind_text(m_stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    }
}

bool RowReader::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3 *handle = sqlite3_db_handle(m_stmt);
    m_db.fail(m_statement, sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
    return false;
}

void RowReader::rewind()
{
    sqlite3_reset(m_stmt); // the error of the last step was reported by next()
    sqlite3_clear_bindings(m_stmt);
}

int RowReader::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

int RowReader::column(const QString &name) const
{
    for (int i = 0; i < columnCount(); ++i) {
        if (name.compare(QLatin1String(sqlite3_column_name(m_stmt, i)), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool RowReader::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QByteArray RowReader::bytes(int column) const
{
    // The blob of a text is its stored bytes, unconverted; a number gives its digits.
    const void *data = sqlite3_column_blob(m_stmt, column);
    return QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column));
}

QByteArray RowReader::borrowedBytes(int column) const
{
    const void *data = sqlite3_column_blob(m_stmt, column);
    return QByteArray::fromRawData(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column));
}

QString RowReader::text(int column) const
{
    return ByteText::decode(bytes(column));
}

qlonglong RowReader::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QVariant RowReader::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB:
        return QVariant(bytes(column));
    default:
        return QVariant();
    }
}

QSqlRecord RowReader::emptyRecord() const
{
    QSqlRecord record;
    for (int i = 0; i < columnCount(); ++i) {
        const char *declared = sqlite3_column_decltype(m_stmt, i);
        const QByteArray type = QByteArray(declared ? declared : "").toUpper();
        QMetaType meta(QMetaType::QString);
        if (type.startsWith("INT"))
            meta = QMetaType(QMetaType::LongLong);
        else if (type.startsWith("REAL") || type.startsWith("FLOA") || type.startsWith("DOUB"))
            meta = QMetaType(QMetaType::Double);
        else if (type.startsWith("BLOB"))
            meta = QMetaType(QMetaType::QByteArray);
        record.append(QSqlField(QString::fromUtf8(sqlite3_column_name(m_stmt, i)), meta));
    }
    return record;
}

QSqlRecord RowReader::record() const
{
    QSqlRecord row = emptyRecord();
    for (int i = 0; i < row.count(); ++i)
        row.setValue(i, value(i));
    return row;
}
