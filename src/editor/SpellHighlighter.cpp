#include "SpellHighlighter.h"

#include "editor/Spelling.h"

#include <QTextBlock>
#include <QTextDocument>

SpellHighlighter::SpellHighlighter(QTextDocument *document, const SpellChecker *checker)
    : QSyntaxHighlighter(document), m_checker(checker)
{
}

void SpellHighlighter::setActive(bool on)
{
    m_active = on;
    rehighlight();
}

void SpellHighlighter::setChecker(const SpellChecker *checker)
{
    m_checker = checker;
    rehighlight();
}

void SpellHighlighter::highlightBlock(const QString &text)
{
    const int previous = previousBlockState();
    HtmlTextState state = previous < 0 ? HtmlTextState::Text : static_cast<HtmlTextState>(previous);
    const std::vector<WordSpan> words = VisibleWords(text, state);
    setCurrentBlockState(static_cast<int>(state));
    if (!m_active || !m_checker)
        return;
    QTextCharFormat wavy;
    wavy.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    wavy.setUnderlineColor(Qt::red);
    for (const WordSpan &w : words) {
        if (!m_checker->isCorrect(text.mid(w.start, w.length)))
            setFormat(w.start, w.length, wavy);
    }
}

std::pair<int, int> SpellHighlighter::misspeltWordAt(int position) const
{
    if (!m_active || !m_checker)
        return {0, 0};
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {0, 0};
    const int previous = block.previous().isValid() ? block.previous().userState() : -1;
    HtmlTextState state = previous < 0 ? HtmlTextState::Text : static_cast<HtmlTextState>(previous);
    const QString text = block.text();
    const int offset = position - block.position();
    for (const WordSpan &w : VisibleWords(text, state)) {
        if (offset >= w.start && offset <= w.start + w.length && !m_checker->isCorrect(text.mid(w.start, w.length)))
            return {block.position() + w.start, w.length};
    }
    return {0, 0};
}
