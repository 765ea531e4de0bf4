#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QTime>

// Reading the stored forms of days ("yyyy-mm-dd") and times ("hh:nn:ss") as
// QDate::fromString and QTime::fromString read them with those pictures,
// without their cost for the usual shape. A value no calendar has
// ("2026-11-31", "25:61:00") gives an invalid date or time.
namespace StoredValue {

QDate day(QByteArrayView text);
QTime time(QByteArrayView text);

} // namespace StoredValue
