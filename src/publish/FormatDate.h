#pragma once

#include "publish/NameTables.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <vector>

// Turns a date and time into text by a format picture.
//
// The picture is read left to right. A run of one repeated letter is one code,
// in either letter case, but a change of case ends the run ("Dd" is two codes
// "d"). Codes: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes after an hour
// code), y yy yyyy, h hh, n nn, s ss, z zz zzz, t tt, c, am/pm, a/p, ampm, aaa
// aaaa, e g (era), "/" and ":" (the locale's separators). Text in double or
// single quotes is copied without the quotes; every other character as it
// stands. Hours count on the 12-hour clock when an am/pm, a/p or ampm code came
// before, or is the first "a" code ahead before the next hour code. An empty
// picture is "c". Day and month names come from the name tables; the short and
// long date and time formats, separators and designators from the locale.
// The day and the time of day come apart: nothing here depends on a time zone.
QString FormatDate(const QString &picture, const QDate &date, const QTime &time,
                   const NameTables &names = NameTables::current(), const QLocale &locale = QLocale::system());

QString FormatDate(const QString &picture, const QDateTime &value, const NameTables &names = NameTables::current(),
                   const QLocale &locale = QLocale::system());

// A date alone is formatted at midnight.
QString FormatDate(const QString &picture, const QDate &date, const NameTables &names = NameTables::current(),
                   const QLocale &locale = QLocale::system());

// A picture read once, to format many dates and times as FormatDate does.
class DatePicture {
public:
    explicit DatePicture(const QString &picture, const QLocale &locale = QLocale::system());
    ~DatePicture();
    DatePicture(const DatePicture &);
    DatePicture &operator=(const DatePicture &);

    QString format(const QDate &date, const QTime &time, const NameTables &names = NameTables::current()) const;

    // The picture read for this locale, kept for the next call with the same
    // two (the last few pictures are kept); valid until 16 others were asked for.
    static const DatePicture &of(const QString &picture, const QLocale &locale = QLocale::system());

    struct Piece;

private:
    QString m_picture;
    QLocale m_locale;
    std::vector<Piece> m_pieces;
};

// A time alone belongs to day 0, 30 December 1899, as it does wherever times are kept.
QDate timeOnlyDay();
