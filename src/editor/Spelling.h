#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct Hunhandle;
class MyThes;

// A word of an entry's text that spell checking looks at.
struct WordSpan {
    int start;
    int length;
};

// Where a line of HTML leaves off for the next line: in text, inside a tag,
// a comment, or the body of a script or style element.
enum class HtmlTextState { Text = 0, Tag = 1, Comment = 2, Script = 3, Style = 4 };

// The words of one line of HTML that a reader sees: outside tags, comments,
// entities and script or style bodies. state carries over from line to line.
std::vector<WordSpan> VisibleWords(const QString &line, HtmlTextState &state);

// The words of a stretch of plain text, [from, to) of line: runs of letters,
// digits and apostrophes, without the apostrophes at their ends.
std::vector<WordSpan> PlainWords(QStringView line, qsizetype from, qsizetype to);

// Dictionaries found on this machine: language codes such as "en_US".
QStringList InstalledDictionaries(const QString &directory = QStringLiteral("/usr/share/hunspell"));

// Spell checking with Hunspell and a personal word list kept in a file.
class SpellChecker {
public:
    struct Options {
        QString language = QStringLiteral("en_US");
        bool ignoreCapitals = true; // words written all in capitals
        bool ignoreDigits = true;   // words holding digits
    };

    // Loads the dictionary of the language from directory and the personal
    // words from personalFile (created when a word is added).
    SpellChecker(const Options &options, const QString &personalFile,
                 const QString &directory = QStringLiteral("/usr/share/hunspell"));
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    bool isLoaded() const { return m_handle != nullptr; }
    const Options &options() const { return m_options; }
    bool isCorrect(const QString &word) const;
    QStringList suggestions(const QString &word) const;
    // Ignored for the rest of the run.
    void ignore(const QString &word);
    // Added to the personal word list, kept in its file; throws WrenError when
    // the file cannot be written.
    void addToPersonal(const QString &word);
    const QStringList &personalWords() const { return m_personal; }
    // The words ignored for the rest of the run.
    const QStringList &ignoredWords() const { return m_ignored; }
    // Replaces the personal word list (the configuration dialog edits it).
    void setPersonalWords(const QStringList &words);
    // The word's stems, for the thesaurus.
    QStringList stems(const QString &word) const;

private:
    void savePersonal() const;

    Options m_options;
    QString m_personalFile;
    Hunhandle *m_handle = nullptr;
    QStringList m_personal;
    QStringList m_ignored;
};

// Meanings and synonyms from MyThes.
class Thesaurus {
public:
    // A word of a meaning and how it relates to the word looked up ("similar
    // term", "antonym", ...; empty when the thesaurus gives none).
    struct Synonym {
        QString word;
        QString relation;
    };
    struct Meaning {
        QString definition;
        std::vector<Synonym> synonyms;
    };
    explicit Thesaurus(const QString &language = QStringLiteral("en_US"),
                       const QString &directory = QStringLiteral("/usr/share/mythes"));
    ~Thesaurus();
    bool isLoaded() const { return m_thes != nullptr; }
    // The meanings of the word, looked up in lower case and, when it has none,
    // under each of its stems.
    std::vector<Meaning> lookup(const QString &word, const SpellChecker *stemmer = nullptr) const;

private:
    std::unique_ptr<MyThes> m_thes;
};
