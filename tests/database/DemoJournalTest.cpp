#include "TestSupport.h"

#include "wren-demo/DemoJournal.h"

#include "base/Settings.h"
#include "base/WrenError.h"
#include "publish/Designs.h"

// Each starter design: its parts in order, nothing that changes a page at
// every run (the run's time, a cookie), so that a publish with nothing changed
// sends nothing; and without a feed no link to one.
TEST(StarterDesignsTest, HaveEveryPartAndNothingThatChangesAtEveryRun)
{
    Designs::Names names;
    names.title = QStringLiteral("T");
    for (const Designs::Design &design : Designs::all()) {
        const Designs::Templates look = Designs::templates(design.key, names);
        const QString &page = look.page;
        const qsizetype open = page.indexOf("<Wren>");
        const qsizetype header = page.indexOf("<WrenHeader>");
        const qsizetype headerEnd = page.indexOf("</WrenHeader>");
        const qsizetype close = page.indexOf("</Wren>");
        EXPECT_TRUE(open > 0 && open < header && header < headerEnd && headerEnd < close) << design.key.toStdString();
        EXPECT_GT(page.indexOf("<$WrenEntry>"), headerEnd) << "the entry text belongs outside the day header";
        EXPECT_GT(look.archiveIndex.indexOf("<$WrenArchive="), look.archiveIndex.indexOf("<Wren>"));
        EXPECT_LT(look.archiveIndex.indexOf("<$WrenArchive="), look.archiveIndex.indexOf("</Wren>"));
        for (const char *tag : {"<$WrenSysDate>", "<$WrenSysTime>", "<$WrenSysUTC", "<$WrenCookie>"})
            EXPECT_FALSE(page.contains(tag, Qt::CaseInsensitive)) << design.key.toStdString() << " " << tag;
        EXPECT_TRUE(page.contains("href=\"feed.xml\"")) << design.key.toStdString();
        names.feed.clear();
        EXPECT_FALSE(Designs::templates(design.key, names).page.contains("feed")) << design.key.toStdString();
        names.feed = QStringLiteral("feed.xml");
    }
    names.siteUrl = QStringLiteral("https://example.org/notes");
    EXPECT_FALSE(Designs::feedTemplate(names).contains("<$WrenSys")) << "the feed's time is its newest entry's";
}

class DemoJournalTest : public DataDirTest {};

TEST_F(DemoJournalTest, WritesAJournalOfSixWeeksThatOpens)
{
    DemoJournal::create(dir(), QDate(2026, 12, 8));
    EXPECT_EQ(Settings(path("wren.INI")).value(Setting::Version), QStringLiteral("5.0"));
    m_db.open(dir());
    const QSqlRecord span =
        *m_db.firstRow("SELECT COUNT(*), MIN(eDate), MAX(eDate), COUNT(DISTINCT eDate) FROM Journal");
    EXPECT_EQ(span.value(0).toInt(), 40);
    EXPECT_EQ(span.value(1).toString(), QStringLiteral("2026-10-27"));
    EXPECT_EQ(span.value(2).toString(), QStringLiteral("2026-12-08"));
    EXPECT_LT(span.value(3).toInt(), 40) << "some days hold two entries";
    EXPECT_EQ(m_db.firstRow("SELECT Directory FROM Upload")->value(0).toString(), path("site"));
    Designs::Names names;
    names.title = QStringLiteral("Field Notes");
    names.author = QStringLiteral("Ellen");
    names.siteUrl = QStringLiteral("http://localhost:8000/");
    EXPECT_EQ(m_db.firstRow("SELECT Template FROM Templates WHERE ID=1")->value(0).toString(),
              Designs::templates(QStringLiteral("fieldnotes"), names).page)
        << "the starter design's own page template";
    EXPECT_EQ(m_db.firstRow("SELECT Template FROM Templates WHERE ID=3")->value(0).toString(),
              Designs::feedTemplate(names));
    EXPECT_TRUE(Settings(path("wren.INI")).value(Setting::KeepArchivesCurrent));
    EXPECT_THROW(DemoJournal::create(dir(), QDate(2026, 12, 8)), WrenError) << "existing data is never overwritten";
}
