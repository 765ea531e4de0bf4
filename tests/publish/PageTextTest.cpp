#include "TestSupport.h"

#include "publish/ArchivePeriod.h"
#include "publish/FeedTitle.h"
#include "publish/MarkdownText.h"
#include "publish/PageText.h"
#include "data/StoredValue.h"
#include "publish/PageWriter.h"

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

TEST(PageTextTest, ExtensionTagsSurviveTheMarkdownConversion)
{
    const QByteArray php("php");
    auto html = [](const QByteArray &markdown, const QByteArray *extension) {
        QByteArray out("before|");
        MarkdownText::AppendHtml(markdown, out, extension);
        return out;
    };
    // A link by reference, a text that holds the word the tag travels as, and
    // the page before the entry holding it too: only the tags change.
    EXPECT_EQ(html("[a][r] WrenExtTag0 <$wrenext>\n\n[r]: arc1.<$WrenExt>#WrenID2 \"t\"\n", &php),
              QByteArray("before|<p><a href=\"arc1.php#WrenID2\" title=\"t\">a</a> WrenExtTag0 php</p>\n"));
    EXPECT_EQ(html("[a](x.<$WrenExt>) `<$WrenExt>`", nullptr),
              QByteArray("before|<p><a href=\"x.<$WrenExt>\">a</a> <code><$WrenExt></code></p>\n"))
        << "without an extension the tag stays, even where the converter would have escaped it";
    EXPECT_EQ(html("", &php), QByteArray("before|"));
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

// Stored days and times are read without Qt's date parser; every shape must
// read as that parser reads it with the same picture.
TEST(StoredDayTest, ReadsAsTheDateParserReads)
{
    QStringList days{"2002-07-24", "2000-02-29", "1900-02-29",  "2002-02-30",  "2002-13-01", "2002-00-10",
                     "2002-01-00", "0000-01-01", "0001-01-01",  "9999-12-31",  "2002-7-24",  "2002-07-4",
                     "02-07-2002", "2002/07/24", " 2002-07-24", "2002-07-24 ", "20020724",   "",
                     "abcd-ef-gh", "2002-07-2x", "+002-07-24",  "-002-07-24"};
    for (QDate d(1899, 12, 25); d <= QDate(1900, 3, 5); d = d.addDays(1))
        days << d.toString(Qt::ISODate);
    for (int m = 1; m <= 12; ++m)
        for (int d = 27; d <= 32; ++d)
            days << QStringLiteral("2024-%1-%2").arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
    for (const QString &text : days)
        EXPECT_EQ(StoredValue::day(text.toLatin1()), QDate::fromString(text, QStringLiteral("yyyy-MM-dd")))
            << text.toStdString();

    const QStringList times{"00:00:00",   "23:59:59", "24:00:00", "12:60:00", "12:00:60", "7:30:00", "07:30",
                            "07:30:00.5", "07-30-00", "",         "ab:cd:ef", " 7:30:00", "12:3x:00"};
    for (const QString &text : times)
        EXPECT_EQ(StoredValue::time(text.toLatin1()), QTime::fromString(text, QStringLiteral("HH:mm:ss")))
            << text.toStdString();
}

// The case-blind search against a plain byte-by-byte one, on texts full of
// near misses: the letters of the pattern in both cases and the bytes that
// differ from them only in the 0x20 bit.
TEST(PageTextTest, CaseBlindSearchFindsWhatAPlainScanFinds)
{
    auto plain = [](const QByteArray &text, const QByteArray &pattern, qsizetype from) -> qsizetype {
        for (qsizetype i = std::max<qsizetype>(from, 0); i + pattern.size() <= text.size(); ++i) {
            qsizetype k = 0;
            while (k < pattern.size() && (text[i + k] & ~0x20) == (pattern[k] & ~0x20))
                ++k;
            if (k == pattern.size())
                return i;
        }
        return -1;
    };
    const QByteArray alphabet("<<\x1c$wWrReEnN>\x1e x");
    quint32 seed = 12345;
    auto random = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<quint32>(n));
    };
    for (const QByteArray &pattern :
         {QByteArray("<$Wren"), QByteArray("<Wren>"), QByteArray("w"), QByteArray("</p>")}) {
        for (int round = 0; round < 400; ++round) {
            QByteArray text;
            const int size = random(40);
            for (int i = 0; i < size; ++i)
                text += alphabet[random(static_cast<int>(alphabet.size()))];
            const qsizetype from = random(8);
            ASSERT_EQ(findIgnoringCase(text, pattern, from), plain(text, pattern, from))
                << text.toStdString() << " / " << pattern.toStdString() << " from " << from;
        }
    }
}

TEST(PageTextTest, ParagraphsBreakOnlyAtCarriageReturnAndLineFeed)
{
    EXPECT_EQ(InsertParagraphs("a\rb\r\nc\r", true), QByteArray("<p>a\rb</p>c\r")) << "a lone CR is text";
    EXPECT_EQ(InsertParagraphs("\r\r\n\r\n", true), QByteArray("<p>\r</p><p></p>"));
    EXPECT_EQ(InsertParagraphs("x\r", true), QByteArray("x\r")) << "no CR LF: unchanged";
    EXPECT_EQ(InsertParagraphs("x\n\r", true), QByteArray("x\n\r"));
}

// A title made for a feed reader reads as the text reads in a browser.
TEST(PageTextTest, AFeedTitleIsTheStartOfTheTextAsAReaderSeesIt)
{
    using FeedTitle::fromText;
    EXPECT_EQ(fromText("<p>Tom&rsquo;s <b>caf&eacute;</b> &amp; b&#xE4;r&#33;</p>"),
              QStringLiteral("Tom\u2019s caf\u00e9 & b\u00e4r!"));
    EXPECT_EQ(fromText("one<br>two</p><p>three\r\nfour"), QStringLiteral("one two three four"));
    EXPECT_EQ(fromText("&bogus; &#0; a < b > c"), QStringLiteral("&bogus; &#0; a < b > c")) << "text, not markup";
    EXPECT_EQ(fromText("<img src=\"a.jpg\"> \r\n"), QString()) << "no words: the caller uses the date";
    const QString cut = fromText("The quick brown fox jumps over the lazy dog, and then over the sleeping cat again.");
    EXPECT_EQ(cut, QStringLiteral("The quick brown fox jumps over the lazy dog, and then over\u2026"));
    EXPECT_EQ(fromText(QByteArray(80, 'x')), QString(60, u'x') + QChar(0x2026)) << "one long word is cut inside";
    EXPECT_EQ(fromText("caf\xe9"), QStringLiteral("caf\u00e9")) << "Windows-1252, as the editor shows it";
}

TEST(PageTextTest, FeedTextIsEscapedForXmlWhateverItsBytes)
{
    // Entities, controls XML refuses left out (also U+FFFE and U+FFFF), the
    // rest of UTF-8 as it is.
    EXPECT_EQ(
        PageText::EscapeXml("<b>R&amp;D</b> \"a\" 'b'\x01\x1f\tcaf\xc3\xa9\r\n\xef\xbf\xbe\xef\xbf\xbf\xef\xbf\xbd&"),
        QByteArray("&lt;b&gt;R&amp;amp;D&lt;/b&gt; &quot;a&quot; &apos;b&apos;\tcaf\xc3\xa9\r\n\xef\xbf\xbd&amp;"));
    EXPECT_EQ(PageText::EscapeXml("caf\xe9 & \x80\x01"), QByteArray("caf\xc3\xa9 &amp; \xe2\x82\xac"))
        << "not UTF-8: read as Windows-1252";
}
