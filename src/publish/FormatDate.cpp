#include "FormatDate.h"

namespace {

// The first character of a format that is neither a letter nor a quote.
QString separatorOf(const QString &format, const QString &fallback)
{
    for (const QChar c : format) {
        if (!c.isLetter() && c != u'\'' && c != u' ' && c != u'.')
            return QString(c);
    }
    for (const QChar c : format) {
        if (!c.isLetter() && c != u'\'')
            return QString(c);
    }
    return fallback;
}

QString number(int value, int digits)
{
    if (value < 0) // the sign goes ahead of the zeros
        return QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
    return QString::number(value).rightJustified(digits, QLatin1Char('0'));
}

bool startsWithIgnoringCase(const QString &text, qsizetype at, QLatin1String what)
{
    return text.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

// Sunday = 1 .. Saturday = 7.
int weekday(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1;
}

class Formatter {
public:
    Formatter(const QString &picture, const QDate &date, const QTime &time, const NameTables &names,
              const QLocale &locale)
        : m_p(picture), m_date(date), m_time(time), m_names(names), m_locale(locale)
    {
    }

    QString run()
    {
        qsizetype i = 0;
        while (i < m_p.size())
            i = step(i);
        return m_out;
    }

private:
    // The number of characters from i that equal m_p[i] exactly.
    qsizetype runLength(qsizetype i) const
    {
        qsizetype n = 1;
        while (i + n < m_p.size() && m_p[i + n] == m_p[i])
            ++n;
        return n;
    }

    // Looks ahead from i for the first "a" outside quotes before the next "h".
    bool twelveHourAhead(qsizetype i) const
    {
        bool quoted = false;
        for (; i < m_p.size(); ++i) {
            const QChar c = m_p[i];
            if (c == u'"' || c == u'\'') {
                quoted = !quoted;
            } else if (!quoted && (c == u'a' || c == u'A')) {
                return startsWithIgnoringCase(m_p, i, QLatin1String("am/pm")) ||
                       startsWithIgnoringCase(m_p, i, QLatin1String("a/p")) ||
                       startsWithIgnoringCase(m_p, i, QLatin1String("ampm"));
            } else if (c == u'h' || c == u'H') {
                return false;
            }
        }
        return false;
    }

    qsizetype step(qsizetype i)
    {
        const QChar start = m_p[i];
        if (start == u'"' || start == u'\'') {
            const qsizetype close = m_p.indexOf(start, i + 1);
            const qsizetype end = close < 0 ? m_p.size() : close;
            m_out += m_p.mid(i + 1, end - i - 1);
            return close < 0 ? m_p.size() : close + 1;
        }
        if (start == u'/') {
            m_out += separatorOf(m_locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
            return i + 1;
        }
        if (start == u':') {
            m_out += separatorOf(m_locale.timeFormat(QLocale::ShortFormat).remove(QChar(u'h'), Qt::CaseInsensitive),
                                 QStringLiteral(":"));
            return i + 1;
        }
        if (!start.isLetter() || start.unicode() > 127) {
            m_out += start;
            return i + 1;
        }

        char code = static_cast<char>(start.toLower().unicode());
        if (code == 'm' && m_lastLetter == 'h')
            code = 'n';
        m_lastLetter = code;
        const qsizetype count = runLength(i);
        switch (code) {
        case 'd':
            appendDay(count);
            return i + count;
        case 'm':
            if (count <= 2)
                m_out += number(m_date.month(), count == 1 ? 1 : 2);
            else
                m_out += count == 3 ? m_names.shortMonth(m_date.month()) : m_names.longMonth(m_date.month());
            return i + count;
        case 'y':
            m_out += count <= 2 ? number(m_date.year() % 100, 2) : number(m_date.year(), 4);
            return i + count;
        case 'h': {
            if (twelveHourAhead(i + count))
                m_twelveHour = true;
            int hour = m_time.hour();
            if (m_twelveHour)
                hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
            m_out += number(hour, count == 1 ? 1 : 2);
            return i + count;
        }
        case 'n':
            m_out += number(m_time.minute(), count == 1 ? 1 : 2);
            return i + count;
        case 's':
            m_out += number(m_time.second(), count == 1 ? 1 : 2);
            return i + count;
        case 'z':
            m_out += number(m_time.msec(), static_cast<int>(std::min<qsizetype>(count, 3)));
            return i + count;
        case 't':
            m_out += m_locale.toString(m_time, count == 1 ? QLocale::ShortFormat : QLocale::LongFormat);
            return i + count;
        case 'c':
            appendDateAndTime();
            return i + count;
        case 'a':
            return appendA(i);
        case 'e':
            m_out += count <= 1 ? QString::number(m_date.year()) : number(m_date.year() % 100, 2);
            return i + count;
        case 'g':
            m_out += m_date.year() > 0 ? QStringLiteral("AD") : QStringLiteral("BC");
            return i + count;
        default:
            m_out += start;
            return i + 1;
        }
    }

    void appendDay(qsizetype count)
    {
        switch (count) {
        case 1:
        case 2:
            m_out += number(m_date.day(), static_cast<int>(count));
            break;
        case 3:
            m_out += m_names.shortDay(weekday(m_date));
            break;
        case 4:
            m_out += m_names.longDay(weekday(m_date));
            break;
        case 5:
            m_out += m_locale.toString(m_date, QLocale::ShortFormat);
            break;
        default:
            m_out += m_locale.toString(m_date, QLocale::LongFormat);
        }
    }

    void appendDateAndTime()
    {
        m_out += m_locale.toString(m_date, QLocale::ShortFormat);
        if (m_time != QTime(0, 0))
            m_out += u' ' + m_locale.toString(m_time, QLocale::LongFormat);
    }

    // The codes that start with "a": am/pm, a/p, ampm, aaaa, aaa; a lone "a" is copied.
    qsizetype appendA(qsizetype i)
    {
        const bool afternoon = m_time.hour() >= 12;
        if (startsWithIgnoringCase(m_p, i, QLatin1String("am/pm"))) {
            m_out += afternoon ? m_p.mid(i + 3, 2) : m_p.mid(i, 2);
            m_twelveHour = true;
            return i + 5;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("a/p"))) {
            m_out += afternoon ? m_p.mid(i + 2, 1) : m_p.mid(i, 1);
            m_twelveHour = true;
            return i + 3;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("ampm"))) {
            m_out += afternoon ? m_locale.pmText() : m_locale.amText();
            m_twelveHour = true;
            return i + 4;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("aaaa"))) {
            m_out += m_names.longDay(weekday(m_date));
            return i + 4;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("aaa"))) {
            m_out += m_names.shortDay(weekday(m_date));
            return i + 3;
        }
        m_out += m_p[i];
        return i + 1;
    }

    const QString &m_p;
    QDate m_date;
    QTime m_time;
    const NameTables &m_names;
    const QLocale &m_locale;
    QString m_out;
    char m_lastLetter = 0;
    bool m_twelveHour = false;
};

} // namespace

QString FormatDate(const QString &picture, const QDate &date, const QTime &time, const NameTables &names,
                   const QLocale &locale)
{
    const QString p = picture.isEmpty() ? QStringLiteral("c") : picture;
    return Formatter(p, date, time, names, locale).run();
}

QString FormatDate(const QString &picture, const QDateTime &value, const NameTables &names, const QLocale &locale)
{
    return FormatDate(picture, value.date(), value.time(), names, locale);
}

QString FormatDate(const QString &picture, const QDate &date, const NameTables &names, const QLocale &locale)
{
    return FormatDate(picture, date, QTime(0, 0), names, locale);
}

QDate timeOnlyDay()
{
    return QDate(1899, 12, 30);
}
