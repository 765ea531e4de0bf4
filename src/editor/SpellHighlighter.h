#pragma once

#include <QSyntaxHighlighter>

class SpellChecker;

// Live spell checking in the entry editor: misspelt words a reader sees
// (outside tags, entities, comments and scripts) get a red wavy underline.
// Each line is marked from the state at its start and its own text.
class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    SpellHighlighter(QTextDocument *document, const SpellChecker *checker);
    void setActive(bool on);
    bool isActive() const { return m_active; }
    void setChecker(const SpellChecker *checker);
    // The misspelt word at a position of the document, or an empty range.
    std::pair<int, int> misspeltWordAt(int position) const;

protected:
    void highlightBlock(const QString &text) override;

private:
    const SpellChecker *m_checker;
    bool m_active = true;
};
