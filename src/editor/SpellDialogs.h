#pragma once

#include "editor/Spelling.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// Spell Check: walks the misspelt words of the editor's text from the start,
// selecting each, with Change, Change All, Ignore, Ignore All and Add.
class TdlgSpell : public QDialog {
    Q_OBJECT
public:
    // markdown: the text is Markdown, whose code and link targets are not words.
    TdlgSpell(QPlainTextEdit *editor, SpellChecker &checker, QWidget *parent = nullptr, bool markdown = false);
    // Moves to the next misspelt word; false (and the dialog closes) at the end.
    bool findNext();
    // Whether the walk reached the end of the text (rather than Close).
    bool complete() const { return m_complete; }
    void change();
    void changeAll();
    void ignoreOnce();
    void ignoreAll();
    void add();

    QLabel *lblWord;
    QLineEdit *edChange;
    QListWidget *lstSuggest;
    QPushButton *btnChange, *btnChangeAll, *btnIgnore, *btnIgnoreAll, *btnAdd, *btnClose;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Moves the dialog off the word it asks about, below it or else above it.
    void keepWordInSight();

    QPlainTextEdit *m_editor;
    SpellChecker &m_checker;
    bool m_markdown;
    bool m_complete = false;
    QString m_word;
    QHash<QString, QString> m_changeAll; // "Change All": word and replacement
    int m_from = 0;
};

// Thesaurus: meanings and synonyms of a word; OK replaces the word. Each
// synonym shows its relation ("similar term", "antonym") in a column of its
// own; picking it puts the word alone into "Replace with".
class TdlgThesaurus : public QDialog {
    Q_OBJECT
public:
    TdlgThesaurus(const Thesaurus &thesaurus, const SpellChecker *stemmer, QWidget *parent = nullptr);
    // Looks the word up; false when nothing is known of it.
    bool lookUp(const QString &word);
    QString replacement() const;

    QLabel *lblWord;
    QListWidget *lstMeanings;
    QTreeWidget *lstSynonyms; // columns: word, relation
    QLineEdit *edReplace;

private:
    void showMeaning(int row);

    const Thesaurus &m_thesaurus;
    const SpellChecker *m_stemmer;
    std::vector<Thesaurus::Meaning> m_meanings;
};

// Spellchecker Configuration: language, what to ignore, the personal words.
class TdlgSpellOptions : public QDialog {
    Q_OBJECT
public:
    explicit TdlgSpellOptions(QWidget *parent = nullptr);
    // Adds the word typed in edWord to the list (once), and empties the box.
    void addWord();

    QComboBox *cmbLanguage;
    QCheckBox *chkCaps, *chkDigits;
    QListWidget *lstWords;
    QLineEdit *edWord;
    QPushButton *btnAddWord, *btnRemoveWord;

protected:
    // Return in the word box adds the word instead of closing the dialog.
    bool eventFilter(QObject *watched, QEvent *event) override;
};
