// The preview file of the entry being written, and the pending files beside it.

#include "TestSupport.h"
#include "base/WrenError.h"
#include "publish/EntryPreview.h"
#include "publish/MarkdownCache.h"
#include "publish/MarkdownText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TEST_F(DataDirTest, PreviewFileHoldsThreeLinesAroundTheEntry)
{
    const QString path = WritePreview(dir(), QStringLiteral("Hello\nWorld"), true, {});
    EXPECT_EQ(path, this->path(QStringLiteral("temp.htm")));
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")), "<HTML><BODY>\r\n<p>Hello</p>World\r\n</BODY></HTML>\r\n");

    WritePreview(dir(), QStringLiteral("Hello\nWorld"), false, {});
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")), "<HTML><BODY>\r\nHello\r\nWorld\r\n</BODY></HTML>\r\n");

    WritePreview(dir(), QStringLiteral("<p>One</p>\nTwo"), true, {});
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")), "<HTML><BODY>\r\n<p>One</p>\r\nTwo\r\n</BODY></HTML>\r\n")
        << "an entry with its own paragraphs stays as written";

    WritePreview(dir(), QString(), true, {});
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")), "<HTML><BODY>\r\n\r\n</BODY></HTML>\r\n");

    WritePreview(dir(), QStringLiteral("Caf\u00e9 <$WrenExt>"), true, {});
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")), "<HTML><BODY>\r\nCaf\xc3\xa9 <$WrenExt>\r\n</BODY></HTML>\r\n")
        << "no tag is replaced";

    WritePreview(dir(), QStringLiteral("# Day\nA [link](arc20020721.<$WrenExt>#WrenID57)\nand\nmore"), true, {},
                 EntryFormat::Markdown);
    EXPECT_EQ(readFile(QStringLiteral("temp.htm")),
              "<HTML><BODY>\r\n<h1>Day</h1>\n<p>A <a href=\"arc20020721.<$WrenExt>#WrenID57\">link</a>\nand\nmore</p>"
              "\r\n</BODY></HTML>\r\n")
        << "Markdown is converted, without paragraph tags of ours, and the tag stays";
}

TEST_F(DataDirTest, PendingFilesAreCopiedBesideThePreview)
{
    QTemporaryDir elsewhere;
    const QString notes = elsewhere.filePath(QStringLiteral("notes.zip"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("PK");
    file.close();
    QDir().mkpath(path(QStringLiteral("staging")));
    WritePreview(path(QStringLiteral("staging")), QStringLiteral("<a href=\"notes.zip\">notes</a>"), true,
                 {notes, elsewhere.filePath(QStringLiteral("missing.gif"))});
    EXPECT_EQ(readFile(QStringLiteral("staging/notes.zip")), "PK");
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("staging/missing.gif"))));
    EXPECT_THROW(WritePreview(path(QStringLiteral("no/such/dir")), QStringLiteral("x"), true, {}), WrenError);
}

TEST_F(DataDirTest, MarkdownCacheServesOnlyTheTextItConverted)
{
    const QString file = path(QStringLiteral("Markdown.cache"));
    MarkdownCache(file).store({{"7", "*a*", "<p><em>a</em></p>\n", false}, {"8", "b", "<p>b</p>\n", false}});
    {
        MarkdownCache cache(file);
        ASSERT_NE(cache.find("7", "*a*"), nullptr);
        EXPECT_EQ(cache.find("7", "*a*")->html, QByteArray("<p><em>a</em></p>\n"));
        EXPECT_EQ(cache.find("7", "*a* "), nullptr) << "a changed text is converted again";
        EXPECT_EQ(cache.find("9", "b"), nullptr);
        cache.store({{"8", "c", "<p>c</p>\n", false}});
    }
    EXPECT_NE(MarkdownCache(file).find("7", "*a*"), nullptr) << "entries not stored again are kept";
    EXPECT_NE(MarkdownCache(file).find("8", "c"), nullptr);
    EXPECT_EQ(MarkdownCache(file).find("8", "b"), nullptr);

    // A file cut short, or one another converter wrote, is no cache at all.
    QByteArray bytes = readFile(QStringLiteral("Markdown.cache"));
    writeFile(QStringLiteral("Markdown.cache"), bytes.left(bytes.size() - 3));
    EXPECT_EQ(MarkdownCache(file).find("7", "*a*"), nullptr);
    bytes.replace(MarkdownText::ConverterSignature(), "md4c 0.0.1");
    writeFile(QStringLiteral("Markdown.cache"), bytes);
    EXPECT_EQ(MarkdownCache(file).find("7", "*a*"), nullptr);
    // Nor is a link, which is replaced, not followed, when the cache is stored.
    QFile::remove(file);
    MarkdownCache(file).store({{"7", "*a*", "<p><em>a</em></p>\n", false}});
    const QByteArray valid = readFile(QStringLiteral("Markdown.cache"));
    ASSERT_TRUE(QFile::rename(file, path(QStringLiteral("elsewhere"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("elsewhere")), file));
    EXPECT_EQ(MarkdownCache(file).find("7", "*a*"), nullptr);
    MarkdownCache(file).store({{"1", "x", "<p>x</p>\n", false}});
    EXPECT_FALSE(QFileInfo(file).isSymLink());
    EXPECT_EQ(readFile(QStringLiteral("elsewhere")), valid);
}
