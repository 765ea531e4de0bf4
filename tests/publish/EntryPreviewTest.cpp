// The preview file of the entry being written, and the pending files beside it.

#include "TestSupport.h"
#include "base/WrenError.h"
#include "publish/EntryPreview.h"

#include <QDir>
#include <QFile>

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
