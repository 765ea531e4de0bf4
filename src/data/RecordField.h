#pragma once

#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Reading one named column of a row as the tables store it: text, a 0/1 flag
// or a whole number. A column the row does not have reads as empty, false, 0.
namespace RecordField {

inline QString text(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toString();
}

inline bool flag(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toInt() != 0;
}

inline int integer(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toInt();
}

} // namespace RecordField
