// Which words spell checking looks at, Hunspell with the personal word list,
// and MyThes lookups, with the Debian dictionaries.

#include "TestSupport.h"
#include "editor/Spelling.h"

#include <QTemporaryDir>

namespace {

QStringList wordsOf(const QStringList &lines)
{
    QStringList out;
    HtmlTextState state = HtmlTextState::Text;
    for (const QString &line : lines)
        for (const WordSpan &w : VisibleWords(line, state))
            out << line.mid(w.start, w.length);
    return out;
}

} // namespace

TEST(VisibleWordsTest, ElementNamesAreWholeAndAccentsStayInTheirWord)
{
    EXPECT_EQ(wordsOf({"<stylex>seen</stylex> <scripts>too</scripts>"}), QStringList({"seen", "too"}));
    EXPECT_EQ(wordsOf({"<style type=\"text/css\">p{}</style>after"}), QStringList({"after"}));
    const QString decomposed = QStringLiteral("caf") + QStringLiteral("e\u0301") + QStringLiteral(" au lait");
    EXPECT_EQ(wordsOf({decomposed}), QStringList({QStringLiteral("cafe\u0301"), "au", "lait"}));
    QTemporaryDir dir;
    SpellChecker english({}, dir.filePath(QStringLiteral("Wren.words")));
    if (english.isLoaded()) {
        english.addToPersonal(QStringLiteral("caf\u00e9"));
        EXPECT_TRUE(english.isCorrect(QStringLiteral("cafe\u0301"))) << "looked up as the composed word";
    }
}

TEST(VisibleWordsTest, TagsEntitiesCommentsAndScriptsAreSkipped)
{
    EXPECT_EQ(wordsOf({"<p class=\"intro\">Helo wrld</p>"}), QStringList({"Helo", "wrld"}));
    EXPECT_EQ(wordsOf({"caf&eacute; &amp; tea&#160;time"}), QStringList({"caf", "tea", "time"}));
    EXPECT_EQ(wordsOf({"it's the boys' hats"}), QStringList({"it's", "the", "boys", "hats"}));
    EXPECT_EQ(wordsOf({"a <!-- hidden", "still hidden --> shown"}), QStringList({"a", "shown"}));
    EXPECT_EQ(wordsOf({"<script>var xyzzy = 1;", "</script>after"}), QStringList({"after"}));
    EXPECT_EQ(wordsOf({"<STYLE>p { colr: red }</STYLE>seen"}), QStringList({"seen"}));
    EXPECT_EQ(wordsOf({"<a href=\"x>y\"", "title='q'>link</a>"}), QStringList({"link"}))
        << "a tag may run over lines and hold > in quotes";
    EXPECT_EQ(wordsOf({"x < y"}).first(), QStringLiteral("x"));
}

class SpellCheckerTest : public DataDirTest {};

TEST_F(SpellCheckerTest, DictionaryPersonalWordsAndOptions)
{
    if (!InstalledDictionaries().contains(QStringLiteral("en_US")))
        GTEST_SKIP() << "hunspell-en-us is not installed";
    SpellChecker checker({}, path(QStringLiteral("Wren.words")));
    ASSERT_TRUE(checker.isLoaded());
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("journal")));
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("it's")));
    EXPECT_FALSE(checker.isCorrect(QStringLiteral("jornal")));
    EXPECT_TRUE(checker.suggestions(QStringLiteral("jornal")).contains(QStringLiteral("journal")));
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("XYZZY"))) << "capitals ignored by default";
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("abc123"))) << "words with digits ignored by default";

    checker.ignore(QStringLiteral("wrenish"));
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("wrenish")));
    checker.addToPersonal(QStringLiteral("Fieldnotes"));
    EXPECT_TRUE(checker.isCorrect(QStringLiteral("Fieldnotes")));
    EXPECT_EQ(readFile(QStringLiteral("Wren.words")), "Fieldnotes\n");

    SpellChecker strict({QStringLiteral("en_US"), false, false}, path(QStringLiteral("Wren.words")));
    EXPECT_TRUE(strict.isCorrect(QStringLiteral("Fieldnotes"))) << "the personal list is read back";
    EXPECT_FALSE(strict.isCorrect(QStringLiteral("wrenish"))) << "ignoring lasts one run";
    EXPECT_FALSE(strict.isCorrect(QStringLiteral("XYZZY")));
    EXPECT_FALSE(strict.isCorrect(QStringLiteral("abc123")));
    strict.setPersonalWords({});
    EXPECT_FALSE(strict.isCorrect(QStringLiteral("Fieldnotes")));

    SpellChecker missing({QStringLiteral("xx_XX"), true, true}, path(QStringLiteral("Wren.words")));
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_TRUE(missing.isCorrect(QStringLiteral("jornal"))) << "without a dictionary nothing is marked";
}

TEST(ThesaurusTest, LooksUpInLowerCaseAndByStem)
{
    Thesaurus thesaurus;
    if (!thesaurus.isLoaded())
        GTEST_SKIP() << "mythes-en-us is not installed";
    const auto happy = thesaurus.lookup(QStringLiteral("Happy"));
    ASSERT_FALSE(happy.empty());
    bool glad = false;
    for (const auto &m : happy)
        for (const auto &synonym : m.synonyms)
            glad = glad || synonym.word == QLatin1String("glad");
    EXPECT_TRUE(glad);

    // The relation the thesaurus writes after a word is kept apart from it.
    bool fast = false;
    for (const auto &m : thesaurus.lookup(QStringLiteral("quick"))) {
        for (const auto &synonym : m.synonyms) {
            EXPECT_FALSE(synonym.word.contains(u'(')) << synonym.word.toStdString();
            fast = fast || (synonym.word == QLatin1String("fast") && synonym.relation == QLatin1String("similar term"));
        }
    }
    EXPECT_TRUE(fast) << "quick: fast (similar term)";
    SpellChecker stemmer({}, QString());
    EXPECT_FALSE(thesaurus.lookup(QStringLiteral("walked"), &stemmer).empty());
    EXPECT_TRUE(thesaurus.lookup(QStringLiteral("qwxzv")).empty());
}
