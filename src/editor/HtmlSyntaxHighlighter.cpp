#include "HtmlSyntaxHighlighter.h"

#include "editor/Spelling.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>

namespace {

QColor colourOf(std::int64_t value, bool background)
{
    if (value == THtmlHighlighter::SystemText)
        return QGuiApplication::palette().color(QPalette::WindowText);
    if (value == THtmlHighlighter::SystemWindow)
        return QGuiApplication::palette().color(QPalette::Window);
    Q_UNUSED(background);
    return QColor(static_cast<QRgb>(value));
}

} // namespace

HtmlSyntaxHighlighter::HtmlSyntaxHighlighter(QTextDocument *document) : QSyntaxHighlighter(document)
{
    QFont alternate = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    alternate.setPointSize(8);
    for (int c = 0; c < THtmlHighlighter::ClassCount; ++c) {
        const auto info = THtmlHighlighter::defaultInfo(static_cast<THtmlHighlighter::Class>(c));
        QTextCharFormat f;
        if (info.altFont)
            f.setFont(alternate, QTextCharFormat::FontPropertiesSpecifiedOnly);
        f.setFontWeight(info.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(info.italic);
        f.setFontUnderline(info.underline);
        f.setFontStrikeOut(info.strikeOut);
        if (info.background != -1)
            f.setBackground(colourOf(info.background, true));
        f.setForeground(colourOf(info.foreground, false));
        m_formats[c] = f;
    }
}

void HtmlSyntaxHighlighter::setSpellChecker(const SpellChecker *checker)
{
    m_spell = checker;
    rehighlight();
}

void HtmlSyntaxHighlighter::setSpellActive(bool on)
{
    m_spellActive = on;
    rehighlight();
}

void HtmlSyntaxHighlighter::setSearchWord(const QString &word)
{
    m_searchWord = word;
    rehighlight();
}

HtmlSyntaxHighlighter::LineStart HtmlSyntaxHighlighter::lineStart(int blockState)
{
    if (blockState < 0)
        return {};
    return {THtmlHighlighter::State::decode(blockState % kSpellStateFactor),
            static_cast<HtmlTextState>(blockState / kSpellStateFactor)};
}

void HtmlSyntaxHighlighter::highlightBlock(const QString &text)
{
    LineStart start = lineStart(previousBlockState());
    const auto spans = m_scanner.scanLine(text, start.html);
    // The words spelling looks at are the ones the Spell Check dialog walks.
    const std::vector<WordSpan> words = VisibleWords(text, start.spelling);
    setCurrentBlockState(start.html.encode() + static_cast<int>(start.spelling) * kSpellStateFactor);
    for (const auto &s : spans)
        setFormat(s.start, s.length, m_formats[s.cls]);

    // The search marker gets the text wherever the scanner starts no region:
    // plain text, attribute values, comments, script bodies and unknown tags
    // alike. Every occurrence is marked, over the colouring beneath it.
    if (!m_searchWord.isEmpty()) {
        for (qsizetype at = text.indexOf(m_searchWord, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(m_searchWord, at + m_searchWord.size(), Qt::CaseInsensitive)) {
            for (int k = static_cast<int>(at); k < at + m_searchWord.size(); ++k) {
                QTextCharFormat f = format(k);
                f.setBackground(Qt::yellow);
                f.setForeground(Qt::black);
                setFormat(k, 1, f);
            }
        }
    }
    if (m_spellActive && m_spell) {
        for (const WordSpan &w : words) {
            if (m_spell->isCorrect(text.mid(w.start, w.length)))
                continue;
            for (int k = w.start; k < w.start + w.length; ++k) {
                QTextCharFormat f = format(k);
                f.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
                f.setUnderlineColor(Qt::red);
                setFormat(k, 1, f);
            }
        }
    }
}

std::pair<int, int> HtmlSyntaxHighlighter::misspeltWordAt(int position) const
{
    if (!m_spellActive || !m_spell)
        return {0, 0};
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {0, 0};
    HtmlTextState state = lineStart(block.previous().isValid() ? block.previous().userState() : -1).spelling;
    const QString text = block.text();
    const int offset = position - block.position();
    for (const WordSpan &w : VisibleWords(text, state)) {
        if (offset >= w.start && offset <= w.start + w.length && !m_spell->isCorrect(text.mid(w.start, w.length)))
            return {block.position() + w.start, w.length};
    }
    return {0, 0};
}
