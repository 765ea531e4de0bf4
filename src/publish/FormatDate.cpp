#include "FormatDate.h"

#include <deque>
#include <vector>

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

void appendNumber(QString &out, int value, int digits)
{
    if (value < 0) { // the sign goes ahead of the zeros
        out += QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
        return;
    }
    char buffer[16];
    int n = 0;
    do {
        buffer[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = digits - n; pad > 0; --pad)
        out += u'0';
    while (n > 0)
        out += QChar(buffer[--n]);
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

} // namespace

// One code of a picture, or a run of text copied as it stands.
struct DatePicture::Piece {
    enum class Kind : unsigned char {
        Text, // text
        Day,  // digits
        ShortDay,
        LongDay,
        ShortDate,
        LongDate,
        Month, // digits
        ShortMonth,
        LongMonth,
        YearOfCentury,
        Year,
        Hour, // digits, twelveHour
        Minute,
        Second,
        Millisecond,
        ShortTime,
        LongTime,
        DateAndTime,
        Designator, // text before noon, other after
        EraYear,
        Era,
    };
    Kind kind;
    int digits = 0;
    bool twelveHour = false;
    QString text, other;
};

namespace {

// Reads a picture left to right into its pieces.
class PictureReader {
public:
    using Piece = DatePicture::Piece;
    using Kind = Piece::Kind;

    PictureReader(const QString &picture, const QLocale &locale) : m_p(picture), m_locale(locale) {}

    std::vector<Piece> read()
    {
        qsizetype i = 0;
        while (i < m_p.size())
            i = step(i);
        return std::move(m_pieces);
    }

private:
    void text(const QString &t)
    {
        if (!m_pieces.empty() && m_pieces.back().kind == Kind::Text)
            m_pieces.back().text += t;
        else
            m_pieces.push_back({Kind::Text, 0, false, t, {}});
    }
    void code(Kind kind, int digits = 0) { m_pieces.push_back({kind, digits, m_twelveHour, {}, {}}); }

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
            text(m_p.mid(i + 1, end - i - 1));
            return close < 0 ? m_p.size() : close + 1;
        }
        if (start == u'/') {
            text(separatorOf(m_locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/")));
            return i + 1;
        }
        if (start == u':') {
            text(separatorOf(m_locale.timeFormat(QLocale::ShortFormat).remove(QChar(u'h'), Qt::CaseInsensitive),
                             QStringLiteral(":")));
            return i + 1;
        }
        if (!start.isLetter() || start.unicode() > 127) {
            text(QString(start));
            return i + 1;
        }

        char letter = static_cast<char>(start.toLower().unicode());
        if (letter == 'm' && m_lastLetter == 'h')
            letter = 'n';
        m_lastLetter = letter;
        const qsizetype count = runLength(i);
        const int two = count == 1 ? 1 : 2;
        switch (letter) {
        case 'd':
            code(count <= 2   ? Kind::Day
                 : count == 3 ? Kind::ShortDay
                 : count == 4 ? Kind::LongDay
                 : count == 5 ? Kind::ShortDate
                              : Kind::LongDate,
                 static_cast<int>(count));
            return i + count;
        case 'm':
            code(count <= 2 ? Kind::Month : count == 3 ? Kind::ShortMonth : Kind::LongMonth, two);
            return i + count;
        case 'y':
            code(count <= 2 ? Kind::YearOfCentury : Kind::Year);
            return i + count;
        case 'h':
            if (twelveHourAhead(i + count))
                m_twelveHour = true;
            code(Kind::Hour, two);
            return i + count;
        case 'n':
            code(Kind::Minute, two);
            return i + count;
        case 's':
            code(Kind::Second, two);
            return i + count;
        case 'z':
            code(Kind::Millisecond, static_cast<int>(std::min<qsizetype>(count, 3)));
            return i + count;
        case 't':
            code(count == 1 ? Kind::ShortTime : Kind::LongTime);
            return i + count;
        case 'c':
            code(Kind::DateAndTime);
            return i + count;
        case 'a':
            return designator(i);
        case 'e':
            code(count <= 1 ? Kind::EraYear : Kind::YearOfCentury);
            return i + count;
        case 'g':
            code(Kind::Era);
            return i + count;
        default:
            text(QString(start));
            return i + 1;
        }
    }

    // The codes that start with "a": am/pm, a/p, ampm, aaaa, aaa; a lone "a" is copied.
    qsizetype designator(qsizetype i)
    {
        if (startsWithIgnoringCase(m_p, i, QLatin1String("am/pm"))) {
            m_pieces.push_back({Kind::Designator, 0, false, m_p.mid(i, 2), m_p.mid(i + 3, 2)});
            m_twelveHour = true;
            return i + 5;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("a/p"))) {
            m_pieces.push_back({Kind::Designator, 0, false, m_p.mid(i, 1), m_p.mid(i + 2, 1)});
            m_twelveHour = true;
            return i + 3;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("ampm"))) {
            m_pieces.push_back({Kind::Designator, 0, false, m_locale.amText(), m_locale.pmText()});
            m_twelveHour = true;
            return i + 4;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("aaaa"))) {
            code(Kind::LongDay);
            return i + 4;
        }
        if (startsWithIgnoringCase(m_p, i, QLatin1String("aaa"))) {
            code(Kind::ShortDay);
            return i + 3;
        }
        text(QString(m_p[i]));
        return i + 1;
    }

    const QString &m_p;
    const QLocale &m_locale;
    std::vector<Piece> m_pieces;
    char m_lastLetter = 0;
    bool m_twelveHour = false;
};

} // namespace

DatePicture::DatePicture(const QString &picture, const QLocale &locale)
    : m_picture(picture), m_locale(locale),
      m_pieces(PictureReader(picture.isEmpty() ? QStringLiteral("c") : picture, locale).read())
{
}

DatePicture::~DatePicture() = default;
DatePicture::DatePicture(const DatePicture &) = default;
DatePicture &DatePicture::operator=(const DatePicture &) = default;

QString DatePicture::format(const QDate &date, const QTime &time, const NameTables &names) const
{
    using Kind = Piece::Kind;
    QString out;
    for (const Piece &p : m_pieces) {
        switch (p.kind) {
        case Kind::Text:
            out += p.text;
            break;
        case Kind::Day:
            appendNumber(out, date.day(), p.digits);
            break;
        case Kind::ShortDay:
            out += names.shortDay(weekday(date));
            break;
        case Kind::LongDay:
            out += names.longDay(weekday(date));
            break;
        case Kind::ShortDate:
            out += m_locale.toString(date, QLocale::ShortFormat);
            break;
        case Kind::LongDate:
            out += m_locale.toString(date, QLocale::LongFormat);
            break;
        case Kind::Month:
            appendNumber(out, date.month(), p.digits);
            break;
        case Kind::ShortMonth:
            out += names.shortMonth(date.month());
            break;
        case Kind::LongMonth:
            out += names.longMonth(date.month());
            break;
        case Kind::YearOfCentury:
            appendNumber(out, date.year() % 100, 2);
            break;
        case Kind::Year:
            appendNumber(out, date.year(), 4);
            break;
        case Kind::Hour: {
            int hour = time.hour();
            if (p.twelveHour)
                hour = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
            appendNumber(out, hour, p.digits);
            break;
        }
        case Kind::Minute:
            appendNumber(out, time.minute(), p.digits);
            break;
        case Kind::Second:
            appendNumber(out, time.second(), p.digits);
            break;
        case Kind::Millisecond:
            appendNumber(out, time.msec(), p.digits);
            break;
        case Kind::ShortTime:
            out += m_locale.toString(time, QLocale::ShortFormat);
            break;
        case Kind::LongTime:
            out += m_locale.toString(time, QLocale::LongFormat);
            break;
        case Kind::DateAndTime:
            out += m_locale.toString(date, QLocale::ShortFormat);
            if (time != QTime(0, 0))
                out += u' ' + m_locale.toString(time, QLocale::LongFormat);
            break;
        case Kind::Designator:
            out += time.hour() >= 12 ? p.other : p.text;
            break;
        case Kind::EraYear:
            out += QString::number(date.year());
            break;
        case Kind::Era:
            out += date.year() > 0 ? QStringLiteral("AD") : QStringLiteral("BC");
            break;
        }
    }
    return out;
}

const DatePicture &DatePicture::of(const QString &picture, const QLocale &locale)
{
    // The few pictures of the journals in use, read once each: a run formats
    // thousands of dates with the same two or three.
    // (A deque keeps the pictures in place while more are added.)
    thread_local std::deque<DatePicture> known;
    for (const DatePicture &p : known) {
        if (p.m_picture == picture && p.m_locale == locale)
            return p;
    }
    if (known.size() >= 16)
        known.pop_front();
    known.emplace_back(picture, locale);
    return known.back();
}

QString FormatDate(const QString &picture, const QDate &date, const QTime &time, const NameTables &names,
                   const QLocale &locale)
{
    return DatePicture::of(picture, locale).format(date, time, names);
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
