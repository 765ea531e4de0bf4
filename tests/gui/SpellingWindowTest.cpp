// Live spelling marks, the right-click rule, the spell-check, thesaurus and
// configuration dialogs in the main window, with the Debian dictionaries.

#include "WindowFixture.h"
#include "editor/SpellDialogs.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "editor/Spelling.h"
#include "editing/EntryList.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

namespace {

class SpellingWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        if (!InstalledDictionaries().contains(QStringLiteral("en_US")))
            GTEST_SKIP() << "hunspell-en-us is not installed";
        makeDemo();
        ASSERT_TRUE(start());
        window->show();
    }
    // The stretches of the first line that carry the wavy underline.
    QStringList marked()
    {
        QStringList out;
        const QTextBlock block = window->dbEntry->document()->firstBlock();
        for (const QTextLayout::FormatRange &r : block.layout()->formats())
            if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                out << block.text().mid(r.start, r.length);
        return out;
    }
};

} // namespace

TEST_F(SpellingWindowTest, MisspeltWordsAreMarkedOutsideMarkupWhileLiveSpellingIsOn)
{
    window->dbEntry->setPlainText(QStringLiteral("A jornal <b class=\"wrnog\">entri</b> &nbsp; <!-- xqzt -->"));
    EXPECT_EQ(marked(), QStringList({"jornal", "entri"}));

    action("actLiveSpell")->setChecked(false);
    EXPECT_TRUE(marked().isEmpty());
    action("actLiveSpell")->setChecked(true);
    EXPECT_EQ(marked().size(), 2);

    // The right-click rule: a marked word gets the spelling menu, the rest the editor menu.
    EXPECT_EQ(window->spellMarks().misspeltWordAt(4).second, 6);
    EXPECT_EQ(window->spellMarks().misspeltWordAt(14).second, 0) << "inside a tag";
    EXPECT_EQ(window->spellMarks().misspeltWordAt(0).second, 0);
    QMenu *menu = window->spellingMenu(2, 6);
    QStringList items;
    for (QAction *a : menu->actions())
        items << a->text();
    EXPECT_TRUE(items.contains(QStringLiteral("journal")));
    EXPECT_TRUE(items.contains(QStringLiteral("Ignore")));
    EXPECT_TRUE(items.contains(QStringLiteral("Add to dictionary")));
    for (QAction *a : menu->actions())
        if (a->text() == QLatin1String("journal"))
            a->trigger();
    delete menu;
    EXPECT_TRUE(window->dbEntry->toPlainText().startsWith(QStringLiteral("A journal <b")));
    EXPECT_EQ(marked(), QStringList({"entri"}));
    EXPECT_TRUE(window->entries().hasPendingChange());
}

TEST_F(SpellingWindowTest, TheSpellCheckDialogWalksTheWords)
{
    window->dbEntry->setPlainText(QStringLiteral("teh cat and teh dog saw Wrenfield\nteh end"));
    QTimer::singleShot(0, window.get(), [this] {
        auto *dialog = window->findChild<TdlgSpell *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->lblWord->text(), QStringLiteral("teh"));
        dialog->edChange->setText(QStringLiteral("the"));
        dialog->changeAll();
        EXPECT_EQ(dialog->lblWord->text(), QStringLiteral("Wrenfield"));
        dialog->add();
    });
    action("actSpell")->trigger();
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("the cat and the dog saw Wrenfield\nthe end"));
    EXPECT_TRUE(window->spellChecker().personalWords().contains(QStringLiteral("Wrenfield")));
    EXPECT_TRUE(QFile::exists(dataPath(QStringLiteral("Wren.words"))));

    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actSpell")->trigger();
    EXPECT_EQ(Prompt::lastText(), QStringLiteral("The spell check is complete."));
}

TEST_F(SpellingWindowTest, TheThesaurusReplacesTheWordAtTheCaret)
{
    Thesaurus probe;
    if (!probe.isLoaded())
        GTEST_SKIP() << "mythes-en-us is not installed";
    window->dbEntry->setPlainText(QStringLiteral("a happy day"));
    QTextCursor c = window->dbEntry->textCursor();
    c.setPosition(4);
    window->dbEntry->setTextCursor(c);
    QTimer::singleShot(0, window.get(), [this] {
        auto *dialog = window->findChild<TdlgThesaurus *>();
        ASSERT_NE(dialog, nullptr);
        ASSERT_GT(dialog->lstMeanings->count(), 0);
        dialog->edReplace->setText(QStringLiteral("glad"));
        dialog->accept();
    });
    action("actThes")->trigger();
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("a glad day"));
}

TEST_F(SpellingWindowTest, ConfigurationIsKeptAndApplied)
{
    window->dbEntry->setPlainText(QStringLiteral("QWXZ abc123 Xyzzy"));
    EXPECT_EQ(marked(), QStringList({"Xyzzy"}));
    TdlgSpellOptions &d = window->spellOptions();
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_TRUE(d.chkCaps->isChecked());
        d.chkCaps->setChecked(false);
        d.chkDigits->setChecked(false);
        d.edWord->setText(QStringLiteral("Xyzzy"));
        d.btnAddWord->click();
        d.accept();
    });
    action("actSpellOpt")->trigger();
    EXPECT_EQ(marked(), QStringList({"QWXZ", "abc123"}));
    EXPECT_FALSE(settings().file().readBool(QStringLiteral("Spelling"), QStringLiteral("IgnoreCapitals"), true));
    QFile personal(dataPath(QStringLiteral("Wren.words")));
    ASSERT_TRUE(personal.open(QIODevice::ReadOnly));
    EXPECT_EQ(personal.readAll(), "Xyzzy\n");
}

TEST_F(SpellingWindowTest, SpellingMarksLieOverTheHtmlColouring)
{
    window->dbEntry->setPlainText(QStringLiteral("<b>jornal</b> <!-- jornal -->"));
    const QTextBlock block = window->dbEntry->document()->firstBlock();
    QTextCharFormat bracket, word, comment;
    for (const QTextLayout::FormatRange &r : block.layout()->formats()) {
        if (r.start == 0)
            bracket = r.format;
        if (r.start <= 3 && r.start + r.length > 3)
            word = r.format;
        if (r.start <= 20 && r.start + r.length > 20)
            comment = r.format;
    }
    EXPECT_EQ(bracket.foreground().color(), QColor(0x0000FF));
    EXPECT_EQ(bracket.fontWeight(), QFont::Bold);
    EXPECT_EQ(word.underlineStyle(), QTextCharFormat::SpellCheckUnderline);
    EXPECT_TRUE(comment.fontItalic());
    EXPECT_NE(comment.underlineStyle(), QTextCharFormat::SpellCheckUnderline) << "comments are not spell checked";
    EXPECT_EQ(marked(), QStringList({"jornal"}));
}
