#pragma once

#include <QSyntaxHighlighter>

// Marks every occurrence of the search text in a document, in any letter case
// and inside longer words: black text on yellow.
class SearchMarker : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SearchMarker(QTextDocument *document);
    void setWord(const QString &word);
    const QString &word() const { return m_word; }

protected:
    void highlightBlock(const QString &text) override;

private:
    QString m_word;
};
