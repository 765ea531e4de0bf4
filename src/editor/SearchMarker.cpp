#include "SearchMarker.h"

SearchMarker::SearchMarker(QTextDocument *document) : QSyntaxHighlighter(document) {}

void SearchMarker::setWord(const QString &word)
{
    m_word = word;
    rehighlight();
}

void SearchMarker::highlightBlock(const QString &text)
{
    if (m_word.isEmpty())
        return;
    QTextCharFormat mark;
    mark.setBackground(Qt::yellow);
    mark.setForeground(Qt::black);
    for (qsizetype at = text.indexOf(m_word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(m_word, at + m_word.size(), Qt::CaseInsensitive))
        setFormat(static_cast<int>(at), static_cast<int>(m_word.size()), mark);
}
