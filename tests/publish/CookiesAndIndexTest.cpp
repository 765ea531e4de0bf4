#include "TestSupport.h"

#include "engine/Journals.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "publish/ArchiveIndex.h"
#include "publish/Cookies.h"
#include "publish/PageWriter.h"
#include "transfer/SiteTransfer.h"

class CookiesTest : public DataDirTest {
protected:
    void SetUp() override
    {
        openFreshDatabase();
        exec("INSERT INTO Cookie (ID, Cookie) VALUES (9, 'nine'), (5, 'five'), (12, 'twelve')");
    }
    Settings settings{path("wren.INI")};
};

TEST_F(CookiesTest, SequentialModeWalksTheCookiesInIdOrderAndWraps)
{
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("five"));
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("nine"));
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("twelve"));
    EXPECT_EQ(settings.value(Setting::CookieSeq), 3);
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("five"));
    EXPECT_EQ(settings.value(Setting::CookieSeq), 1);
}

TEST_F(CookiesTest, ACounterPastTheEndRestartsAtTheFirst)
{
    settings.setValue(Setting::CookieSeq, 17);
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("five"));
    settings.setValue(Setting::CookieSeq, -4);
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("five"));
    EXPECT_EQ(settings.value(Setting::CookieSeq), 1);
}

TEST_F(CookiesTest, RandomModeLeavesTheCounterAloneAndReachesEveryCookie)
{
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(PickCookie(m_db, settings, true));
    EXPECT_EQ(seen, QSet<QString>({"five", "nine", "twelve"}));
    EXPECT_FALSE(IniFile(settings.path()).hasKey("General", "CookieSeq"));

    exec("DELETE FROM Cookie WHERE ID <> 9");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(PickCookie(m_db, settings, true), QStringLiteral("nine"));
}

TEST_F(CookiesTest, AnEmptyTableSaysSo)
{
    exec("DELETE FROM Cookie");
    EXPECT_EQ(PickCookie(m_db, settings, false), QStringLiteral("No cookies stored in database!"));
    EXPECT_FALSE(IniFile(settings.path()).hasKey("General", "CookieSeq"));
}

// The archive index of a weekly journal with entries in the given weeks.
class ArchiveIndexTest : public DataDirTest {
protected:
    void SetUp() override
    {
        openFreshDatabase();
        exec("INSERT INTO Names (ID, Name, ArcType, ArcDtFormat, ArcReverse) VALUES (1, 'J', 'Weekly', 'mmdd', 0)");
    }
    void entriesInWeeks(int weeks)
    {
        for (int w = 0; w < weeks; ++w)
            exec(QString("INSERT INTO Journal (Name, eDate, eTime) VALUES (1, '%1', '12:00:00')")
                     .arg(QDate(2002, 7, 24).addDays(7 * w).toString(Qt::ISODate)));
    }
    QByteArray index(const QByteArray &token, bool reverse = false)
    {
        QStringList log;
        SiteTransfer transfer(dir(), [&](const QString &l) { log << l; });
        PendingLists pending;
        JournalSettings journal = *Journals::load(m_db, 1);
        journal.arcReverse = reverse;
        PublishContext ctx{m_db,  settings, PublishOptions(), Clock::system(), NameTables::fromLocale(),
                           dir(), journal,  transfer,         pending};
        return BuildArchiveIndex(ctx, "htm", token);
    }
    static int count(const QByteArray &text, const QByteArray &what) { return static_cast<int>(text.count(what)); }
    Settings settings{path("wren.INI")};
};

TEST_F(ArchiveIndexTest, ColumnCountsCloseRows)
{
    entriesInWeeks(7);
    const QByteArray three = index("<$WrenArchive=3>");
    EXPECT_EQ(count(three, "<tr>"), 3);
    EXPECT_TRUE(three.endsWith("</td></tr></table>"));
    EXPECT_EQ(count(three, "</tr>"), 3);

    exec("DELETE FROM Journal WHERE eDate = (SELECT MAX(eDate) FROM Journal)");
    const QByteArray six = index("<$WrenArchive=3>");
    EXPECT_EQ(count(six, "<tr>"), 2);
    EXPECT_TRUE(six.endsWith("</td></tr></table>")) << "a full last row is closed by the count, then the table";
    EXPECT_EQ(count(six, "</tr></table>"), 1);
}

TEST_F(ArchiveIndexTest, ZeroColumnsKeepOneRowAndThePlainTagOneCellARow)
{
    entriesInWeeks(4);
    const QByteArray zero = index("<$WrenArchive=0>", true);
    EXPECT_EQ(count(zero, "<tr>"), 1);
    EXPECT_EQ(count(zero, "<td>"), 4);
    EXPECT_TRUE(zero.endsWith("</td></tr></table>"));
    const QByteArray plain = index("<$wrenarchive>", true);
    EXPECT_EQ(count(plain, "<tr>"), 4);
    EXPECT_TRUE(
        plain.startsWith("<table border=\"0\" width=\"100%\"><tr><td><a href=\"arc20020811.htm\">0811 - 0817</a>"))
        << "newest first with ArcReverse";
    EXPECT_EQ(index("<$WrenArchive=x>"), index("<$WrenArchive>")) << "a count that is no number gives one column";
}

TEST_F(ArchiveIndexTest, AJournalWithoutEntriesHasNoIndex)
{
    EXPECT_EQ(index("<$WrenArchive=3>"), QByteArray());
}

// The block markers of a page are looked for around the archive index table;
// where the table could hold one, or is empty and joins the text on both
// sides, the page must read as if the whole expanded text were searched.
TEST_F(ArchiveIndexTest, BlockMarkersAreFoundAsInTheWholeExpandedPage)
{
    auto page = [&](const QByteArray &templateText, const QString &extension, bool *found) {
        SiteTransfer transfer(dir(), [](const QString &) {});
        PendingLists pending;
        PublishContext ctx{m_db,
                           settings,
                           PublishOptions(),
                           Clock::system(),
                           NameTables::fromLocale(),
                           dir(),
                           *Journals::load(m_db, 1),
                           transfer,
                           pending};
        PageRequest request;
        request.upload.arcExt = extension;
        request.firstDay = QDate(2002, 7, 1);
        request.lastDay = QDate(2002, 9, 1);
        QByteArray out;
        *found = PageWriter(ctx).WritePage(templateText, request, out);
        return out;
    };
    bool found = false;
    EXPECT_EQ(page("<Wr<$WrenArchive>en>[x]</Wren>!", "htm", &found), QByteArray("!"))
        << "an empty table joins the two halves of the marker";
    EXPECT_TRUE(found);

    entriesInWeeks(2);
    const QByteArray withMarker = page("<$WrenArchive><Wren>[x]</Wren>!", "h<wren>", &found);
    EXPECT_TRUE(found);
    EXPECT_TRUE(withMarker.startsWith("<table border=\"0\" width=\"100%\"><tr><td><a href=\"arc20020721.h\">"))
        << "the page is cut at the marker inside the table: " << withMarker.toStdString();
    EXPECT_EQ(withMarker.count("[x]"), 2) << "once per entry";

    const QByteArray plain = page("<$WrenArchive=2><Wren>[x]</Wren>!", "htm", &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(plain, index("<$WrenArchive=2>") + "[x][x]!");

    // A block of many day headers: each entry of a new day writes the first
    // and passes over the rest (and reading such a block must not exhaust
    // the stack).
    const QByteArray headers = "<Wren>" + QByteArray("<WrenHeader>d</WrenHeader>").repeated(60000) + "[x]</Wren>!";
    EXPECT_EQ(page(headers, "htm", &found), QByteArray("d[x]d[x]!"));
}
