// The texts of the markup commands and the statements of Purge Entries.

#include "TestSupport.h"
#include "base/WrenError.h"
#include "base/FileNamePart.h"
#include "editing/Markup.h"

using namespace Markup;

TEST(MarkupTest, SimpleCommandsWithAndWithoutASelection)
{
    EXPECT_EQ(Paragraph(""), "<p></p>");
    EXPECT_EQ(Paragraph("word"), "<p>word</p>");
    EXPECT_EQ(LineBreak(""), "<br>");
    EXPECT_EQ(LineBreak("abc"), "abc<br>");
    EXPECT_EQ(AngleBrackets(""), "&lt;&gt;");
    EXPECT_EQ(AngleBrackets("tag"), "&lt;tag&gt;");
    EXPECT_EQ(Space(""), "&nbsp;");
    EXPECT_EQ(Space("a b"), "a b&nbsp;");
    EXPECT_EQ(Bold(""), "<b></b>");
    EXPECT_EQ(Bold("x"), "<b>x</b>");
    EXPECT_EQ(Italics(""), "<i></i>");
    EXPECT_EQ(Italics("two\nlines"), "<i>two\nlines</i>");
}

TEST(MarkupTest, HyperlinksTakeThePrefixOnlyWhereTheAddressLacksAScheme)
{
    for (const char *host : {"example.org", "example.org/trail", "www.example", "WWW.Example.org/x?y=1",
                             "localhost:8080/x", "10.0.0.1/notes", "ftp.example.co.uk", "example.org:81"})
        EXPECT_TRUE(LacksScheme(host)) << host;
    for (const char *kept : {"https://example.org/trail", "http://a.org", "ftp://h/x", "mailto:ellen@example.org",
                             "file:///tmp/x.html", "#top", "/notes/", "../x.htm", "./x", "pages/x.htm", "notes.html",
                             "pic.jpeg", "notes", "?page=2", "ellen@example.org", ""})
        EXPECT_FALSE(LacksScheme(kept)) << kept;

    EXPECT_EQ(Hyperlink("here", "https://a.org/", true, false), "<a href=\"https://a.org/\">here</a>");
    EXPECT_EQ(Hyperlink("here", "a.org/", true, false), "<a href=\"http://a.org/\">here</a>");
    EXPECT_EQ(Hyperlink("here", "a.org/", false, false), "<a href=\"a.org/\">here</a>") << "unchecked: never";
    EXPECT_EQ(Hyperlink("here", "https://a.org/", false, true), "<a href=\"https://a.org/\" target=_blank>here</a>");
    // Nothing selected: the address as typed shows, so the link can be seen.
    EXPECT_EQ(Hyperlink("", "a.org/?x=1&y=2", true, false), "<a href=\"http://a.org/?x=1&y=2\">a.org/?x=1&amp;y=2</a>");
}

TEST(MarkupTest, ImagesAndFileLinksUseTheBareFileName)
{
    EXPECT_EQ(FileNamePart("/home/me/pics/pic.gif"), "pic.gif");
    EXPECT_EQ(FileNamePart("C:\\pics\\pic.gif"), "pic.gif");
    EXPECT_EQ(FileNamePart("D:pic.gif"), "pic.gif");
    EXPECT_EQ(FileNamePart("pic.gif"), "pic.gif");
    EXPECT_EQ(FileNamePart(""), "");

    EXPECT_EQ(Image("", "/p/pic.gif", true, "1", "2"), "<img src=\"pic.gif\">");
    EXPECT_EQ(Image("", "/p/pic.gif", false, "100", ""), "<img src=\"pic.gif\" width=\"100\" height=\"\">");
    EXPECT_EQ(Image("See ", "pic.gif", true, "", ""), "See <img src=\"pic.gif\">")
        << "the selection stays in front of the image";

    EXPECT_EQ(FileLink("", ""), "<a href=\"\"></a>");
    EXPECT_EQ(FileLink("", "/tmp/notes.zip"), "<a href=\"notes.zip\">notes.zip</a>") << "the name shows";
    EXPECT_EQ(FileLink("the notes", "/tmp/notes.zip"), "<a href=\"notes.zip\">the notes</a>");
}

TEST(PurgeTest, StatementsForEachChoice)
{
    const QDate today(2026, 3, 31);
    PurgeRequest r;
    EXPECT_EQ(PurgeStatement(r, 12, today), QString()) << "no choice, no statement";

    r.choice = PurgeRequest::Choice::All;
    EXPECT_EQ(PurgeStatement(r, 12, today), "DELETE FROM Journal WHERE Name=12");

    r.choice = PurgeRequest::Choice::OlderThan;
    r.days = "30";
    EXPECT_EQ(PurgeStatement(r, 1, today), "DELETE FROM Journal WHERE Name=1 AND eDate<'2026-03-01'");
    r.days = " 0 ";
    EXPECT_EQ(PurgeStatement(r, 1, today), "DELETE FROM Journal WHERE Name=1 AND eDate<'2026-03-31'");
    r.days = "7";
    EXPECT_EQ(PurgeStatement(r, 1, QDate(2026, 5, 10)), "DELETE FROM Journal WHERE Name=1 AND eDate<'2026-05-03'");
    // A count below 0 would reach past today and take today's entries.
    for (const char *bad : {"", "abc", "3.5", "7 days", "-1", " -30"}) {
        r.days = bad;
        EXPECT_THROW(PurgeStatement(r, 1, today), WrenError) << bad;
    }

    r.choice = PurgeRequest::Choice::After;
    r.date = QDate(2002, 7, 4);
    EXPECT_EQ(PurgeStatement(r, 3, today), "DELETE FROM Journal WHERE Name=3 AND eDate>'2002-07-04'");
}

TEST_F(DataDirTest, PurgeRemovesOnlyTheChosenEntriesOfTheJournal)
{
    openFreshDatabase();
    for (const char *row : {"(1,'2026-02-28','08:00:00')", "(1,'2026-03-01','08:00:00')", "(1,'2026-03-31','08:00:00')",
                            "(2,'2026-01-01','08:00:00')"})
        exec(QStringLiteral("INSERT INTO Journal (Name,eDate,eTime) VALUES ") + QLatin1String(row));
    PurgeRequest r;
    r.choice = PurgeRequest::Choice::OlderThan;
    r.days = "30";
    const PurgeOutcome older = RunPurge(m_db, PurgeStatement(r, 1, QDate(2026, 3, 31)), QStringLiteral("Notes"));
    EXPECT_EQ(older.removed, 1);
    EXPECT_EQ(older.line, "Purge removed 1 entry of Notes");
    auto days = [this] {
        QStringList out;
        QSqlQuery q = m_db.run(QStringLiteral("SELECT Name, eDate FROM Journal ORDER BY Name, eDate"));
        while (q.next())
            out << q.value(0).toString() + u' ' + q.value(1).toString();
        return out;
    };
    EXPECT_EQ(days(), QStringList({"1 2026-03-01", "1 2026-03-31", "2 2026-01-01"}));
    r.choice = PurgeRequest::Choice::After;
    r.date = QDate(2026, 3, 1);
    EXPECT_EQ(RunPurge(m_db, PurgeStatement(r, 1, QDate(2026, 3, 31)), QStringLiteral("Notes")).line,
              "Purge removed 1 entry of Notes");
    EXPECT_EQ(days(), QStringList({"1 2026-03-01", "2 2026-01-01"}));
    r.choice = PurgeRequest::Choice::All;
    exec(QStringLiteral("INSERT INTO Journal (Name,eDate,eTime) VALUES (1,'2026-04-01','08:00:00')"));
    EXPECT_EQ(RunPurge(m_db, PurgeStatement(r, 1, QDate(2026, 3, 31)), QStringLiteral("Notes")).line,
              "Purge removed 2 entries of Notes");
    EXPECT_EQ(days(), QStringList({"2 2026-01-01"}));
    EXPECT_EQ(RunPurge(m_db, PurgeStatement(r, 1, QDate(2026, 3, 31)), QStringLiteral("Notes")).line,
              "Purge removed 0 entries of Notes");
}

TEST(MarkupTest, EntryLinksPointIntoTheArchivePageOfTheirPeriod)
{
    const QDate wednesday(2002, 7, 24);
    EXPECT_EQ(EntryLink("", 57, wednesday, "Weekly"), "<a href=\"arc20020721.<$WrenExt>#WrenID57\"></a>");
    EXPECT_EQ(EntryLink("", 57, wednesday, "Monthly"), "<a href=\"arc20020701.<$WrenExt>#WrenID57\"></a>");
    EXPECT_EQ(EntryLink("", 57, wednesday, "weekly"), "<a href=\"arc20020701.<$WrenExt>#WrenID57\"></a>")
        << "only \"Weekly\" exactly is weekly";
    EXPECT_EQ(EntryLink("then", 8, QDate(2002, 7, 21), "Weekly"), "<a href=\"arc20020721.<$WrenExt>#WrenID8\">then</a>")
        << "a Sunday starts its own week";
    EXPECT_EQ(EntryLink("", 8, QDate(2002, 7, 21), "Weekly", "First frost"),
              "<a href=\"arc20020721.<$WrenExt>#WrenID8\">First frost</a>");
    EXPECT_EQ(EntryLink("then", 8, QDate(2002, 7, 21), "Weekly", "First frost"),
              "<a href=\"arc20020721.<$WrenExt>#WrenID8\">then</a>");
}

TEST(MarkupTest, MarkdownFormsOfTheCommands)
{
    namespace M = MarkdownMarkup;
    EXPECT_EQ(M::Bold("x"), "**x**");
    EXPECT_EQ(M::Italics(""), "**");
    EXPECT_EQ(M::Paragraph("word"), "\n\nword\n\n");
    EXPECT_EQ(M::LineBreak("abc"), "abc\\\n");
    EXPECT_EQ(M::Hyperlink("here", "a.org/x", true, false), "[here](http://a.org/x)");
    EXPECT_EQ(M::Hyperlink("here", "https://a.org/", false, true), "<a href=\"https://a.org/\" target=_blank>here</a>")
        << "Markdown cannot say: a new window";
    EXPECT_EQ(M::Image("See ", "/p/a wren.jpg", true, "", ""), "See ![a wren](<a wren.jpg>)");
    EXPECT_EQ(M::Image("", "/p/pic.gif", false, "100", "50"), "<img src=\"pic.gif\" width=\"100\" height=\"50\">");
    EXPECT_EQ(M::FileLink("the notes", "/tmp/notes (1).zip"), "[the notes](<notes (1).zip>)");
    EXPECT_EQ(M::FileLink("", "/tmp/f(1).zip"), "[f(1).zip](f(1).zip)") << "parentheses that pair up stay";
    EXPECT_EQ(M::FileLink("", "/tmp/a_[b].zip"), "[a\\_\\[b\\].zip](a_[b].zip)") << "the name shows, as text";
    EXPECT_EQ(M::Hyperlink("", "https://a.org/x", true, false), "[https://a.org/x](https://a.org/x)");
    EXPECT_EQ(M::EntryLink("", 57, QDate(2002, 7, 24), "Weekly", "First"), "[First](arc20020721.<$WrenExt>#WrenID57)");
    EXPECT_EQ(M::Destination("a>b)c<"), "<a\\>b)c\\<>");
    EXPECT_EQ(M::EntryLink("the first", 57, QDate(2002, 7, 24), "Weekly"),
              "[the first](arc20020721.<$WrenExt>#WrenID57)");
}
