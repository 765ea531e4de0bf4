#pragma once

#include "editor/HtmlScanner.h"
#include "editor/MarkdownScanner.h"
#include "editor/Spelling.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>
#include <vector>

class QTextBlock;

// The HTML colouring of an editor, or its Markdown colouring for the entries
// of a Markdown journal, with two optional layers: live spelling (a
// red wavy underline under the misspelt words a reader sees, drawn over the
// colouring) and a search text marked black on yellow in any letter case
// wherever it stands, markup included. Each block keeps the scanner state at its end,
// so typing re-colours a line and only the lines after it whose start changed.
class HtmlSyntaxHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit HtmlSyntaxHighlighter(QTextDocument *document);

    void setSpellChecker(const SpellChecker *checker);
    void setSpellActive(bool on);
    bool spellActive() const { return m_spellActive; }
    void setSearchWord(const QString &word);
    // Colours and spells the text as Markdown instead of HTML.
    void setMarkdown(bool on);
    bool markdown() const { return m_markdown; }

    // The misspelt word at a document position, as (start, length); length 0
    // when the position is not on a marked word.
    std::pair<int, int> misspeltWordAt(int position) const;

protected:
    void highlightBlock(const QString &text) override;

private:
    // A block's state holds both the colouring state and the spelling state
    // at the end of its line.
    static constexpr int kSpellStateFactor = 4096;
    struct LineStart {
        THtmlHighlighter::State html;
        HtmlTextState spelling = HtmlTextState::Text;
    };
    static LineStart lineStart(int blockState);
    // The words spelling looks at in a block of the document.
    std::vector<WordSpan> blockWords(const QTextBlock &block) const;
    void markdownBlock(const QString &text, std::vector<WordSpan> &words);

    THtmlHighlighter m_scanner;
    std::array<QTextCharFormat, MarkdownScanner::ClassCount> m_formats;
    bool m_markdown = false;
    const SpellChecker *m_spell = nullptr;
    bool m_spellActive = false;
    QString m_searchWord;
};
