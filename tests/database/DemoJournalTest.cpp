#include "TestSupport.h"

#include "wren-demo/DemoJournal.h"

#include "base/Settings.h"
#include "base/WrenError.h"

TEST(DemoTemplatesTest, PageTemplateHasEveryPartInOrder)
{
    const QString page = DemoJournal::pageTemplate();
    const qsizetype open = page.indexOf("<Wren>");
    const qsizetype header = page.indexOf("<WrenHeader>");
    const qsizetype headerEnd = page.indexOf("</WrenHeader>");
    const qsizetype close = page.indexOf("</Wren>");
    EXPECT_TRUE(open > 0 && open < header && header < headerEnd && headerEnd < close);
    EXPECT_GT(page.indexOf("<$WrenEntry>"), headerEnd) << "the entry text belongs outside the day header";
    const QString index = DemoJournal::archiveIndexTemplate();
    EXPECT_GT(index.indexOf("<$WrenArchive="), index.indexOf("<Wren>"));
    EXPECT_LT(index.indexOf("<$WrenArchive="), index.indexOf("</Wren>"));
}

class DemoJournalTest : public DataDirTest {};

TEST_F(DemoJournalTest, WritesAJournalOfSixWeeksThatOpens)
{
    DemoJournal::create(dir(), QDate(2026, 12, 8));
    EXPECT_EQ(Settings(path("wren.INI")).version(), QStringLiteral("5.0"));
    m_db.open(dir());
    const QSqlRecord span =
        *m_db.firstRow("SELECT COUNT(*), MIN(eDate), MAX(eDate), COUNT(DISTINCT eDate) FROM Journal");
    EXPECT_EQ(span.value(0).toInt(), 40);
    EXPECT_EQ(span.value(1).toString(), QStringLiteral("2026-10-27"));
    EXPECT_EQ(span.value(2).toString(), QStringLiteral("2026-12-08"));
    EXPECT_LT(span.value(3).toInt(), 40) << "some days hold two entries";
    EXPECT_EQ(m_db.firstRow("SELECT Directory FROM Upload")->value(0).toString(), path("site"));
    EXPECT_THROW(DemoJournal::create(dir(), QDate(2026, 12, 8)), WrenError) << "existing data is never overwritten";
}
