// Which words spell checking looks at, Hunspell with the personal word list,
// and MyThes lookups, with the Debian dictionaries.

#include "TestSupport.h"
#include "editor/Spelling.h"

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
        glad = glad || m.synonyms.contains(QStringLiteral("glad"));
    EXPECT_TRUE(glad);
    SpellChecker stemmer({}, QString());
    EXPECT_FALSE(thesaurus.lookup(QStringLiteral("walked"), &stemmer).empty());
    EXPECT_TRUE(thesaurus.lookup(QStringLiteral("qwxzv")).empty());
}
