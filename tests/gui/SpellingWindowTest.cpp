// Live spelling marks, the right-click rule, the spell-check, thesaurus and
// configuration dialogs in the main window, with the Debian dictionaries.

#include "WindowFixture.h"
#include "base/IniFile.h"
#include "editor/EditorSpelling.h"
#include "editor/SpellDialogs.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "editor/Spelling.h"
#include "editing/EntryList.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

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
    // Right-clicks the editor on the character at that position and hands
    // the menu that opens to inMenu while it is open; it closes afterwards.
    void rightClickAt(int position, const std::function<void(QMenu &)> &inMenu)
    {
        QApplication::processEvents();
        QTextCursor cursor(window->dbEntry->document());
        cursor.setPosition(position);
        bool opened = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            opened = true;
            inMenu(*menu);
            menu->close();
        });
        Q_EMIT window->dbEntry->customContextMenuRequested(window->dbEntry->cursorRect(cursor).center());
        EXPECT_TRUE(opened) << "no menu opened";
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
    EXPECT_EQ(part<EditorSpelling>().marks().misspeltWordAt(4).second, 6);
    EXPECT_EQ(part<EditorSpelling>().marks().misspeltWordAt(14).second, 0) << "inside a tag";
    EXPECT_EQ(part<EditorSpelling>().marks().misspeltWordAt(0).second, 0);
    rightClickAt(5, [](QMenu &menu) {
        QStringList items;
        for (QAction *a : menu.actions())
            items << a->text();
        EXPECT_TRUE(items.contains(QStringLiteral("journal")));
        EXPECT_TRUE(items.contains(QStringLiteral("&Ignore")));
        EXPECT_TRUE(items.contains(QStringLiteral("&Add to dictionary")));
        for (QAction *a : menu.actions())
            if (a->text() == QLatin1String("journal"))
                a->trigger();
    });
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
    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actSpell")->trigger();
    EXPECT_EQ(Prompt::lastText(), QStringLiteral("The spell check is complete.")) << "also at the end of a walk";
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("the cat and the dog saw Wrenfield\nthe end"));
    EXPECT_TRUE(part<EditorSpelling>().checker().personalWords().contains(QStringLiteral("Wrenfield")));
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
    TdlgSpellOptions &d = part<TdlgSpellOptions>("dlgSpellOptions");
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
    EXPECT_FALSE(
        IniFile(settings().path()).readBool(QStringLiteral("Spelling"), QStringLiteral("IgnoreCapitals"), true));
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

TEST_F(SpellingWindowTest, TheThesaurusPutsTheWordOnlyAndShowsTheRelationApart)
{
    Thesaurus probe;
    if (!probe.isLoaded())
        GTEST_SKIP() << "mythes-en-us is not installed";
    window->dbEntry->setPlainText(QStringLiteral("a quick walk"));
    QTextCursor c = window->dbEntry->textCursor();
    c.setPosition(4);
    window->dbEntry->setTextCursor(c);
    QTimer::singleShot(0, window.get(), [this] {
        auto *dialog = window->findChild<TdlgThesaurus *>();
        ASSERT_NE(dialog, nullptr);
        // Pick "fast" of the meaning "speedy | fast (similar term)".
        QTreeWidgetItem *fast = nullptr;
        for (int m = 0; m < dialog->lstMeanings->count() && !fast; ++m) {
            dialog->lstMeanings->setCurrentRow(m);
            for (int i = 0; i < dialog->lstSynonyms->topLevelItemCount() && !fast; ++i)
                if (dialog->lstSynonyms->topLevelItem(i)->text(0) == QLatin1String("fast"))
                    fast = dialog->lstSynonyms->topLevelItem(i);
        }
        ASSERT_NE(fast, nullptr);
        EXPECT_EQ(fast->text(1), QStringLiteral("similar term"));
        dialog->lstSynonyms->setCurrentItem(fast);
        EXPECT_EQ(dialog->edReplace->text(), QStringLiteral("fast"));
        dialog->accept();
    });
    action("actThes")->trigger();
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("a fast walk"));
}

TEST_F(SpellingWindowTest, SpellingIsInTheToolsMenuAndItsMenuOffersTheClipboard)
{
    EXPECT_EQ(action("actSpell")->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(action("actThes")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F7));
    QMenu *tools = nullptr;
    for (QAction *top : window->menuBar()->actions())
        if (top->text() == QLatin1String("&Tools"))
            tools = top->menu();
    ASSERT_NE(tools, nullptr);
    EXPECT_TRUE(tools->actions().contains(action("actSpell")));
    EXPECT_TRUE(tools->actions().contains(action("actThes")));

    window->dbEntry->setPlainText(QStringLiteral("A jornal"));
    rightClickAt(5, [this](QMenu &menu) {
        EXPECT_EQ(menu.actions().value(0)->text(), QStringLiteral("journal")) << "the spelling menu";
        for (const char *name : {"actCut", "actCopy", "actPaste"})
            EXPECT_TRUE(menu.actions().contains(action(name))) << name;
    });

    // The pointer below the end of the text is on no word: the editor menu.
    window->resize(800, 600);
    QApplication::processEvents();
    QTextCursor end(window->dbEntry->document());
    end.setPosition(5);
    const QRect onWord = window->dbEntry->cursorRect(end);
    EXPECT_EQ(part<EditorSpelling>().wordAt(onWord.center()).second, 6);
    EXPECT_EQ(part<EditorSpelling>().wordAt(onWord.center() + QPoint(0, 200)).second, 0);
    EXPECT_EQ(part<EditorSpelling>().wordAt(onWord.center() + QPoint(300, 0)).second, 0);
}

TEST_F(SpellingWindowTest, ReturnInTheWordBoxAddsAndOkKeepsTheWordsIgnoredThisRun)
{
    window->dbEntry->setPlainText(QStringLiteral("Xyzzy Plugh"));
    part<EditorSpelling>().checker().ignore(QStringLiteral("Plugh"));
    part<EditorSpelling>().marks().rehighlight();
    ASSERT_EQ(marked(), QStringList({"Xyzzy"}));
    TdlgSpellOptions &d = part<TdlgSpellOptions>("dlgSpellOptions");
    QTimer::singleShot(0, window.get(), [&] {
        d.edWord->setText(QStringLiteral("Xyzzy"));
        QTest::keyClick(d.edWord, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible()) << "Return adds the word, it does not close the dialog";
        EXPECT_EQ(d.lstWords->count(), 1);
        EXPECT_TRUE(d.edWord->text().isEmpty());
        if (d.isVisible())
            d.accept();
    });
    action("actSpellOpt")->trigger();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(part<EditorSpelling>().checker().personalWords().contains(QStringLiteral("Xyzzy")));
    EXPECT_EQ(marked(), QStringList()) << "Plugh stays ignored after OK";
}
