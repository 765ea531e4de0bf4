#include "TestSupport.h"

#include "publish/FormatDate.h"

namespace {

// English names and an English (United States) locale, whatever the machine's.
class FormatDateTest : public ::testing::Test {
protected:
    QLocale us{QLocale::English, QLocale::UnitedStates};
    QLocale de{QLocale::German, QLocale::Germany};
    NameTables names = englishNames();

    static NameTables englishNames()
    {
        NameTables t;
        t.shortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        t.longDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        t.shortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        t.longMonths = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
        return t;
    }
    QString f(const QString &picture, const QDateTime &v) { return FormatDate(picture, v, names, us); }
    QString f(const QString &picture, const QDate &d) { return FormatDate(picture, d, names, us); }
    QDateTime at(int h, int m, int s = 0, int ms = 0) { return QDateTime(QDate(2002, 3, 5), QTime(h, m, s, ms)); }
};

} // namespace

TEST_F(FormatDateTest, NumbersAndNames)
{
    EXPECT_EQ(f("yyyymmdd", QDate(2002, 7, 21)), QStringLiteral("20020721"));
    EXPECT_EQ(f("yyyymmdd", QDate(2002, 3, 5)), QStringLiteral("20020305"));
    EXPECT_EQ(f("d/m/yy", QDate(2002, 3, 5)), QStringLiteral("5/3/02"));
    EXPECT_EQ(f("dd mmm yyyy", QDate(2002, 3, 5)), QStringLiteral("05 Mar 2002"));
    EXPECT_EQ(f("dddd, mmmm d, yyyy", QDate(2002, 7, 21)), QStringLiteral("Sunday, July 21, 2002"));
    EXPECT_EQ(f("ddd aaa aaaa", QDate(2002, 7, 27)), QStringLiteral("Sat Sat Saturday"));
    EXPECT_EQ(f("mmmmmm yyyyy y", QDate(999, 1, 2)), QStringLiteral("January 0999 99"));
    EXPECT_EQ(f("DD MMM", QDate(2002, 3, 5)), QStringLiteral("05 Mar")) << "codes in capitals";
    EXPECT_EQ(f("Dd", QDate(2002, 3, 5)), QStringLiteral("55")) << "a change of case ends the run";
}

TEST_F(FormatDateTest, NamesComeFromTheInstalledTables)
{
    names.shortMonths[2] = "Mär.";
    names.longDays[0] = "Sonntag";
    EXPECT_EQ(f("dd mmm yyyy", QDate(2002, 3, 5)), QStringLiteral("05 Mär. 2002"));
    EXPECT_EQ(f("dddd", QDate(2002, 7, 21)), QStringLiteral("Sonntag"));
}

TEST_F(FormatDateTest, HoursMinutesAndTheTwelveHourClock)
{
    EXPECT_EQ(f("hh:nn am/pm", at(13, 5)), QStringLiteral("01:05 pm"));
    EXPECT_EQ(f("hh:nn am/pm", at(0, 30)), QStringLiteral("12:30 am"));
    EXPECT_EQ(f("h:mm", at(9, 7)), QStringLiteral("9:07")) << "mm after an hour code is minutes";
    EXPECT_EQ(f("hh:mm:ss.zzz", at(23, 59, 8, 7)), QStringLiteral("23:59:08.007"));
    EXPECT_EQ(f("s z zz", at(0, 0, 8, 7)), QStringLiteral("8 7 07"));
    EXPECT_EQ(f("h AM/PM", at(12, 0)), QStringLiteral("12 PM"));
    EXPECT_EQ(f("h Am/pM", at(12, 0)), QStringLiteral("12 pM")) << "am/pm keeps the case written";
    EXPECT_EQ(f("h a/p", at(11, 0)), QStringLiteral("11 a"));
    EXPECT_EQ(f("h A/P", at(15, 0)), QStringLiteral("3 P"));
    EXPECT_EQ(f("h ampm", at(15, 0)), QStringLiteral("3 PM")) << "ampm is the locale's designator";
    EXPECT_EQ(f("am/pm h", at(15, 0)), QStringLiteral("pm 3")) << "a code used before the hour counts";
    EXPECT_EQ(f("h 'am/pm' h", at(15, 0)), QStringLiteral("15 am/pm 15")) << "a quoted am/pm is no code";
    EXPECT_EQ(f("h h am/pm", at(15, 0)), QStringLiteral("15 3 pm")) << "the look-ahead stops at the next hour";
    EXPECT_EQ(f("m", at(10, 20)), QStringLiteral("3")) << "without an hour code m is the month";
}

TEST_F(FormatDateTest, QuotesAndOtherCharacters)
{
    EXPECT_EQ(f("'Week of' dd", QDate(2002, 3, 5)), QStringLiteral("Week of 05"));
    EXPECT_EQ(f("\"d\"d", QDate(2002, 3, 5)), QStringLiteral("d5"));
    EXPECT_EQ(f("---", QDate(2002, 3, 5)), QStringLiteral("---"));
    EXPECT_EQ(f("'open", QDate(2002, 3, 5)), QStringLiteral("open")) << "an open quote runs to the end";
    EXPECT_EQ(f("x#d", QDate(2002, 3, 5)), QStringLiteral("x#5"));
}

TEST_F(FormatDateTest, LocaleFormatsAndSeparators)
{
    const QDate d(2002, 3, 5);
    EXPECT_EQ(f("", d), us.toString(d, QLocale::ShortFormat)) << "an empty picture at midnight is the short date";
    EXPECT_EQ(f("", at(13, 5)),
              us.toString(d, QLocale::ShortFormat) + ' ' + us.toString(QTime(13, 5), QLocale::LongFormat));
    EXPECT_EQ(f("ddddd", d), us.toString(d, QLocale::ShortFormat));
    EXPECT_EQ(f("dddddd", d), us.toString(d, QLocale::LongFormat));
    EXPECT_EQ(f("t", at(13, 5)), us.toString(QTime(13, 5), QLocale::ShortFormat));
    EXPECT_EQ(FormatDate("d/m", d, names, de), QStringLiteral("5.3")) << "the German date separator";
    EXPECT_EQ(FormatDate("h:nn", at(9, 7), names, de), QStringLiteral("9:07"));
}
