#include "StoredValue.h"

#include <QString>

namespace {

// The value of the count digits at text[at], or -1 when one is no digit.
int digits(QByteArrayView text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

namespace StoredValue {

QDate day(QByteArrayView text)
{
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
        if (y >= 1 && m >= 0 && d >= 0)
            return QDate(y, m, d); // invalid when the calendar has no such day
    }
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd"));
}

QTime time(QByteArrayView text)
{
    if (text.size() == 8 && text[2] == ':' && text[5] == ':') {
        const int h = digits(text, 0, 2), m = digits(text, 3, 2), sec = digits(text, 6, 2);
        if (h >= 0 && m >= 0 && sec >= 0)
            return QTime(h, m, sec); // invalid past 23:59:59
    }
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm:ss"));
}

} // namespace StoredValue
