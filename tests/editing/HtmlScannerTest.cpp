// The HTML colouring scanner: the classes of every stretch of a line, and
// the state lines hand on to each other.

#include "TestSupport.h"
#include "editor/HtmlScanner.h"
#include "editor/MarkdownScanner.h"

#include <QElapsedTimer>

namespace {

using H = THtmlHighlighter;

// "text=class" pieces for the spans of the lines, scanned in order.
QStringList classes(const QStringList &lines, bool xml = false)
{
    static const char *const names[] = {"bracket", "keyword", "tag",     "comment", "attr",   "value",
                                        "script",  "entity",  "unknown", "stag",    "default"};
    H h;
    h.XMLSyntax = xml;
    H::State state;
    QStringList out;
    for (const QString &line : lines) {
        for (const H::Span &s : h.scanLine(line, state)) {
            EXPECT_GE(s.start, 0);
            EXPECT_LE(s.start + s.length, line.size());
            out << line.mid(s.start, s.length) + u'=' + QLatin1String(names[s.cls]);
        }
    }
    return out;
}

} // namespace

TEST(HtmlScannerTest, TheElementTable)
{
    const auto &t = H::elements();
    EXPECT_STREQ(t[0].name, "SCRIPT");
    EXPECT_STREQ(t[105].name, "!DOCTYPE");
    EXPECT_STREQ(t[49].name, "IMG");
    H h;
    EXPECT_EQ(h.lookUp(u"TABLE", false), 91);
    EXPECT_EQ(h.lookUp(u"BR", true), -1);
    EXPECT_EQ(h.lookUp(u"IMG", true), -1);
    EXPECT_EQ(h.lookUp(u"B", true), 6);
    EXPECT_EQ(h.lookUp(u"SCRIPT", true), -1);
    EXPECT_EQ(h.lookUp(u"", false), -1);
    EXPECT_FALSE(t[14].attributes); // BR
    EXPECT_TRUE(t[0].attributes);
}

TEST(HtmlScannerTest, EntitiesAndSimpleTags)
{
    EXPECT_EQ(classes({"AT&T and &amp; and &#160;"}), QStringList({"&T=entity", "&amp;=entity", "&#160;=entity"}));
    EXPECT_EQ(classes({"<b>x</b>"}),
              QStringList({"<=bracket", "b=keyword", ">=bracket", "<=bracket", "/b=keyword", ">=bracket"}));
    EXPECT_EQ(classes({"<br clear=all>"}), QStringList({"<=bracket", "br=keyword", " clear=all=unknown", ">=bracket"}));
    EXPECT_EQ(classes({"</br></img>"}),
              QStringList({"<=bracket", "/br=unknown", ">=bracket", "<=bracket", "/img=unknown", ">=bracket"}));
    EXPECT_EQ(classes({"<foo bar=1>"}), QStringList({"<=bracket", "foo bar=1=unknown", ">=bracket"}));
    EXPECT_EQ(classes({"< b>"}), QStringList({"<=bracket", " b=unknown", ">=bracket"}));
}

TEST(HtmlScannerTest, AttributesAndQuotedValues)
{
    EXPECT_EQ(classes({"<a href=\"x.htm\" title='a>b' target=_blank>"}),
              QStringList({"<=bracket", "a=keyword", " =tag", "href==attr", "\"x.htm\"=value", " =tag", "title==attr",
                           "'a>b'=value", " =tag", "target==attr", "_blank=value", ">=bracket"}));
    EXPECT_EQ(classes({"<Table Border=1>"}).replaceInStrings("Table", "TABLE").replaceInStrings("Border", "BORDER"),
              classes({"<TABLE BORDER=1>"}));
    EXPECT_EQ(classes({"<p align = \"left>"}),
              QStringList({"<=bracket", "p=keyword", " =tag", "align ==attr", " \"left>=value"}))
        << "an unclosed quote runs to the end of the line";
}

TEST(HtmlScannerTest, CommentsScriptsAndBlocks)
{
    EXPECT_EQ(classes({"<!-- a <b> c -->x"}), QStringList({"<!-- a <b> c -->=comment"}));
    EXPECT_EQ(classes({"<script>if (a<b) x=1;</Script>"}),
              QStringList({"<=bracket", "script=keyword", ">=bracket", "if (a<b) x=1;=script", "</Script>=bracket"}));
    EXPECT_EQ(classes({"<% x %>"}), QStringList({"<=bracket", "%=script", " x %=script", ">=bracket"}));
    EXPECT_EQ(classes({"<?php x ?>"}), QStringList({"<=bracket", "?=script", "php x ?=script", ">=bracket"}));
}

TEST(HtmlScannerTest, ConstructsRunOverLines)
{
    EXPECT_EQ(classes({"<a href=x", "  title=y>z"}),
              QStringList({"<=bracket", "a=keyword", " =tag", "href==attr", "x=value", "  =tag", "title==attr",
                           "y=value", ">=bracket"}));
    EXPECT_EQ(
        classes({"<!-- one", "two", "three --> <i>"}),
        QStringList({"<!-- one=comment", "two=comment", "three -->=comment", "<=bracket", "i=keyword", ">=bracket"}));
    EXPECT_EQ(classes({"<SCRIPT type=x>", "var a = '<b>';", "</script>&amp;"}),
              QStringList({"<=bracket", "SCRIPT=keyword", " =tag", "type==attr", "x=value", ">=bracket",
                           "var a = '<b>';=script", "</script>=bracket", "&amp;=entity"}));
    EXPECT_EQ(classes({"<foo", "bar>"}), QStringList({"<=bracket", "foo=unknown", "bar=unknown", ">=bracket"}));

    H h;
    H::State state;
    h.scanLine(u"<!-- open", state);
    EXPECT_EQ(H::State::decode(state.encode()), state);
    EXPECT_EQ(state.kind, H::State::Comment);
}

TEST(HtmlScannerTest, XmlSyntaxTakesEveryNameAsATagWithAttributes)
{
    EXPECT_EQ(classes({"<foo bar=1></foo>"}, true),
              QStringList({"<=bracket", "foo=keyword", " =tag", "bar==attr", "1=value", ">=bracket", "<=bracket",
                           "/foo=keyword", ">=bracket"}));
}

TEST(HtmlScannerTest, AMegabyteTemplateScansLineByLine)
{
    QStringList lines;
    while (lines.join(u'\n').size() < 1024 * 1024 / 4) // the join is costly; grow in chunks
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("<tr><td class=\"c%1\">cell &amp; <b>bold</b> <!-- n --></td></tr>").arg(i);
    while (lines.size() * 60 < 1024 * 1024)
        lines += lines.mid(0, 1000);
    H h;
    std::vector<H::State> starts(lines.size() + 1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        H::State s = starts[i];
        h.scanLine(lines[i], s);
        starts[i + 1] = s;
    }
    // Editing one line: only lines whose start state changes need a new scan.
    const qsizetype edited = lines.size() / 2;
    lines[edited] = QStringLiteral("<!-- an unclosed comment");
    int rescanned = 0;
    H::State s = starts[edited];
    for (qsizetype i = edited; i < lines.size(); ++i) {
        h.scanLine(lines[i], s);
        ++rescanned;
        if (s == starts[i + 1])
            break;
    }
    EXPECT_EQ(rescanned, 2) << "the comment runs into the next line, whose own \"-->\" closes it";
    lines[edited] = QStringLiteral("<p>plain</p>");
    rescanned = 0;
    s = starts[edited];
    for (qsizetype i = edited; i < lines.size(); ++i) {
        h.scanLine(lines[i], s);
        ++rescanned;
        if (s == starts[i + 1])
            break;
    }
    EXPECT_EQ(rescanned, 1) << "a closed edit re-scans its own line only";
}

namespace {

// "text=class" pieces of the Markdown spans of the lines, and the words
// spelling looks at after "|".
QString markdown(const QStringList &lines)
{
    static const char *const names[] = {"bracket",  "keyword", "tag",    "comment", "attr",    "value",  "script",
                                        "entity",   "unknown", "stag",   "default", "heading", "markup", "code",
                                        "linktext", "target",  "strong", "em",      "strike"};
    MarkdownScanner::State state;
    QStringList out;
    for (const QString &line : lines) {
        const MarkdownScanner::Line scanned = MarkdownScanner::scanLine(line, state);
        EXPECT_EQ(MarkdownScanner::State::decode(state.encode()), state) << line.toStdString();
        for (const MarkdownScanner::Span &s : scanned.spans) {
            EXPECT_GE(s.start, 0);
            EXPECT_LE(s.start + s.length, line.size());
            out << line.mid(s.start, s.length) + u'=' + QLatin1String(names[s.cls]);
        }
        QStringList words;
        for (const WordSpan &w : scanned.words)
            words << line.mid(w.start, w.length);
        out << u'|' + words.join(u' ');
    }
    return out.join(QStringLiteral("; "));
}

} // namespace

TEST(MarkdownScannerTest, HeadingsEmphasisCodeLinksAndRawHtml)
{
    EXPECT_EQ(markdown({"## Wren *notes*", "Some **bold** and ~~gone~~ `a < b` &amp; x\\*"}),
              QStringList({"##=markup", " Wren *notes*=heading", "*=markup", "*=markup", "notes=em", "|Wren notes",
                           "**=markup", "**=markup", "bold=strong", "~~=markup", "~~=markup", "gone=strike", "`=markup",
                           "a < b=code", "`=markup", "&amp;=entity", "\\=markup", "|Some bold and gone x"})
                  .join(QStringLiteral("; ")));
    EXPECT_EQ(markdown({"See [the *first* day](arc20020721.<$WrenExt>#WrenID57) and www.example.org/x."}),
              QStringList({"[=markup", "the *first* day=linktext", "*=markup", "*=markup", "first=em", "](=markup",
                           "arc20020721.<$WrenExt>#WrenID57=target", ")=markup", "www.example.org/x=target",
                           "|See the first day and"})
                  .join(QStringLiteral("; ")))
        << "the link's text is spelt, its target and addresses are not";
    EXPECT_EQ(markdown({"Inline <span class=\"x\">raw</span> text"}),
              QStringList({"<=bracket", "span=keyword", " =tag", "class==attr", "\"x\"=value", ">=bracket", "<=bracket",
                           "/span=keyword", ">=bracket", "|Inline raw text"})
                  .join(QStringLiteral("; ")));
}

TEST(MarkdownScannerTest, BlocksCarryOverLines)
{
    // A fenced block holds code whatever it says; an HTML block is HTML up to a
    // blank line; indented code follows a blank line; a comment runs on.
    EXPECT_EQ(markdown({"```c", "if (a < b) **x**", "```", "<div class=\"aside\">", "Raw words", "</div>", "",
                        "    indented code", "Text <!-- hidden", "still --> shown"}),
              QStringList({"```=markup",
                           "c=code",
                           "|",
                           "if (a < b) **x**=code",
                           "|",
                           "```=markup",
                           "|",
                           "<=bracket",
                           "div=keyword",
                           " =tag",
                           "class==attr",
                           "\"aside\"=value",
                           ">=bracket",
                           "|",
                           "|Raw words",
                           "<=bracket",
                           "/div=keyword",
                           ">=bracket",
                           "|",
                           "|",
                           "    indented code=code",
                           "|",
                           "<!-- hidden=comment",
                           "|Text",
                           "still -->=comment",
                           "|shown"})
                  .join(QStringLiteral("; ")));
    EXPECT_EQ(markdown({"Title", "=====", "- item *one*", "> quoted", "| a | b |", "|---|:-:|",
                        "[r]: https://x.org \"A title\""}),
              QStringList({"|Title",   "======heading", "|",          "-=markup",  "*=markup",
                           "*=markup", "one=em",        "|item one",  ">=markup",  "|quoted",
                           "|=markup", "|=markup",      "|=markup",   "|a b",      "|---|:-:|=markup",
                           "|",        "[=markup",      "r=linktext", "]:=markup", "https://x.org=target",
                           "|A title"})
                  .join(QStringLiteral("; ")));
}
