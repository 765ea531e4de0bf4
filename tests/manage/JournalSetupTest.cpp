// The starter designs' templates as Journal Management adds them.

#include "TestSupport.h"

#include "base/WrenError.h"
#include "manage/JournalSetup.h"

#include <QSqlQuery>

TEST_F(DataDirTest, DesignTemplatesAreNamedAfterTheJournalAndAFeedNeedsAWebAddress)
{
    openFreshDatabase();
    auto rows = [this] {
        QStringList out;
        QSqlQuery q = m_db.run(QStringLiteral("SELECT ID, Name FROM Templates ORDER BY ID"));
        while (q.next())
            out << q.value(0).toString() + u' ' + q.value(1).toString();
        return out;
    };
    auto text = [this](const QString &name) {
        QSqlQuery q = m_db.run(QStringLiteral("SELECT Template FROM Templates WHERE Name='%1'").arg(name));
        return q.next() ? q.value(0).toString() : QString();
    };
    Designs::Names names;
    names.title = QStringLiteral("Field Notes");
    names.author = QStringLiteral("Ann");
    names.siteUrl = QStringLiteral("file:///srv/notes/index.html");

    EXPECT_EQ(JournalSetup::addDesignTemplates(m_db, names, QStringLiteral("notebook")), 1) << "the page comes first";
    EXPECT_EQ(rows(), QStringList({"1 Field Notes page (Notebook)", "2 Field Notes archive index (Notebook)"}));
    EXPECT_TRUE(text("Field Notes page (Notebook)").contains("<h1>Field Notes</h1>"));
    EXPECT_FALSE(text("Field Notes page (Notebook)").contains("feed.xml")) << "no feed without a web address";
    const QString index = text("Field Notes archive index (Notebook)");
    const qsizetype open = index.indexOf("<Wren>");
    EXPECT_GT(open, 0);
    EXPECT_GT(index.indexOf("<$WrenArchive"), open) << "the archive index needs its tag inside the block";
    EXPECT_LT(index.indexOf("<$WrenArchive"), index.indexOf("</Wren>"));

    try {
        JournalSetup::addDesignTemplates(m_db, names, QStringLiteral("feed"));
        ADD_FAILURE() << "a feed into a folder of this computer";
    } catch (const WrenError &error) {
        EXPECT_TRUE(error.message().startsWith("A feed needs the journal's web address"))
            << error.message().toStdString();
        EXPECT_TRUE(error.message().contains("\"file:///srv/notes/index.html\" is none"));
    }
    EXPECT_EQ(JournalSetup::addDesignTemplates(m_db, names, QStringLiteral("no such design")), 0);
    EXPECT_EQ(rows().size(), 2) << "nothing stored for either";

    names.siteUrl = QStringLiteral("https://example.org/notes/index.html");
    names.title = QStringLiteral("A journal whose name is longer than a template name may be");
    EXPECT_EQ(JournalSetup::addDesignTemplates(m_db, names, QStringLiteral("feed")), 3);
    EXPECT_EQ(rows().last(), "3 A journal whose name is longer than a template nam") << "cut at 50 characters";
    EXPECT_TRUE(text(names.title.left(50)).contains("<id>https://example.org/notes/<$WrenPage></id>"));
    const qlonglong page = JournalSetup::addDesignTemplates(m_db, names, QStringLiteral("fieldnotes"));
    QSqlQuery q = m_db.run(QStringLiteral("SELECT Template FROM Templates WHERE ID=%1").arg(page));
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(0).toString().contains("feed.xml")) << "a journal on the web links to its feed";
}
