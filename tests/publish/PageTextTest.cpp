#include "TestSupport.h"

#include "publish/ArchivePeriod.h"
#include "publish/PageText.h"

using namespace PageText;
using namespace ArchivePeriod;

TEST(PageTextTest, SearchesClearTheCaseBitOrCompareExactly)
{
    EXPECT_EQ(findIgnoringCase("xx<WREN>yy", "<Wren>"), 2);
    EXPECT_EQ(findIgnoringCase("<wren", "<Wren>"), -1);
    EXPECT_EQ(findIgnoringCase("ab<Wren>cd<Wren>", "<Wren>", 3), 10);
    EXPECT_EQ(findExact("<WREN><Wren>", "<Wren>"), 6);
    EXPECT_TRUE(sameTag("<$wrentitle>", "<$WrenTitle>"));
    EXPECT_FALSE(sameTag("<$WrenTitle >", "<$WrenTitle>"));
}

TEST(PageTextTest, LinesBecomeParagraphs)
{
    EXPECT_EQ(InsertParagraphs("one\r\ntwo\r\n\r\nthree", true), QByteArray("<p>one</p><p>two</p><p></p>three"));
    EXPECT_EQ(InsertParagraphs("a\r\nb", true), QByteArray("<p>a</p>b"));
    EXPECT_EQ(InsertParagraphs("a\r\nb", false), QByteArray("a\r\nb"));
    EXPECT_EQ(InsertParagraphs("no break", true), QByteArray("no break"));
    EXPECT_EQ(InsertParagraphs("a\nb", true), QByteArray("a\nb")) << "only CR LF is a line break";
    EXPECT_EQ(InsertParagraphs("<p>a</P>\r\nb", true), QByteArray("<p>a</P>\r\nb"))
        << "the author wrote the paragraphs";
    EXPECT_EQ(InsertParagraphs("a\r\n", true), QByteArray("<p>a</p>"));
}

TEST(PageTextTest, ExtensionTagsInEntries)
{
    EXPECT_EQ(ReplaceExtTag(
                  "<a href=\"arc20020721.<$WrenExt>#WrenID4\">x</a> <a href=\"arc20020728.<$WrenExt>#WrenID9\">y</a>",
                  "html"),
              QByteArray("<a href=\"arc20020721.html#WrenID4\">x</a> <a href=\"arc20020728.html#WrenID9\">y</a>"));
    EXPECT_EQ(ReplaceExtTag("<$wrenext> <$WRENEXT> <$WrenExt>", "php"), QByteArray("php <$WRENEXT> php"))
        << "after the first, only the exact spelling";
    EXPECT_EQ(ReplaceExtTag("plain", "php"), QByteArray("plain"));
}

TEST(ArchivePeriodTest, WeeksRunFromSundayToSaturday)
{
    const QDate wednesday(2002, 7, 24);
    EXPECT_EQ(PeriodStart(wednesday, "Weekly"), QDate(2002, 7, 21));
    EXPECT_EQ(PeriodEnd(wednesday, "Weekly"), QDate(2002, 7, 27));
    EXPECT_EQ(ArchiveName(wednesday, "Weekly"), QStringLiteral("arc20020721"));
    EXPECT_EQ(ArchiveName(wednesday, "Monthly"), QStringLiteral("arc20020701"));
    EXPECT_EQ(ArchiveName(QDate(2002, 7, 27), "Weekly"), QStringLiteral("arc20020721"));
    EXPECT_EQ(ArchiveName(QDate(2002, 7, 28), "Weekly"), QStringLiteral("arc20020728"));
    EXPECT_EQ(ArchiveName(wednesday, "weekly"), QStringLiteral("arc20020701")) << "only \"Weekly\" is weekly";
}

TEST(ArchivePeriodTest, MonthsEndOnTheirLastDay)
{
    EXPECT_EQ(PeriodEnd(QDate(2002, 2, 10), "Monthly"), QDate(2002, 2, 28));
    EXPECT_EQ(PeriodEnd(QDate(2004, 2, 10), "Monthly"), QDate(2004, 2, 29));
    EXPECT_EQ(PeriodEnd(QDate(2000, 2, 1), "Monthly"), QDate(2000, 2, 29));
    EXPECT_EQ(PeriodEnd(QDate(1900, 2, 1), "Monthly"), QDate(1900, 2, 28));
    EXPECT_EQ(PeriodStart(QDate(2002, 3, 1), "Monthly"), QDate(2002, 3, 1));
    EXPECT_EQ(PeriodEnd(QDate(2002, 12, 31), "Monthly"), QDate(2002, 12, 31));
}
