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
    // Markdown's own classes; raw HTML inside it keeps the HTML colours.
    auto markdownFormat = [this](MarkdownScanner::Class cls, QRgb colour, bool bold) {
        QTextCharFormat &f = m_formats[cls];
        f.setForeground(QColor(colour));
        f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    };
    markdownFormat(MarkdownScanner::Heading, 0x000080, true);
    markdownFormat(MarkdownScanner::Markup, 0x0000FF, true);
    markdownFormat(MarkdownScanner::Code, 0x800000, false);
    m_formats[MarkdownScanner::Code].setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont),
                                             QTextCharFormat::FontPropertiesSpecifiedOnly);
    markdownFormat(MarkdownScanner::LinkText, 0x0000FF, false);
    m_formats[MarkdownScanner::LinkText].setFontUnderline(true);
    markdownFormat(MarkdownScanner::LinkTarget, 0x808080, false);
}

void HtmlSyntaxHighlighter::setMarkdown(bool on)
{
    if (on == m_markdown)
        return;
    m_markdown = on;
    rehighlight();
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

void HtmlSyntaxHighlighter::markdownBlock(const QString &text, std::vector<WordSpan> &words)
{
    const int previous = previousBlockState();
    MarkdownScanner::State state = previous < 0 ? MarkdownScanner::State() : MarkdownScanner::State::decode(previous);
    MarkdownScanner::Line line = MarkdownScanner::scanLine(text, state);
    setCurrentBlockState(state.encode());
    for (const MarkdownScanner::Span &s : line.spans) {
        if (s.cls < MarkdownScanner::Strong) {
            setFormat(s.start, s.length, m_formats[s.cls]);
            continue;
        }
        // Emphasis changes the style of what it covers and keeps its colours.
        for (int k = s.start; k < s.start + s.length; ++k) {
            QTextCharFormat f = format(k);
            if (s.cls == MarkdownScanner::Strong)
                f.setFontWeight(QFont::Bold);
            else if (s.cls == MarkdownScanner::Emphasis)
                f.setFontItalic(true);
            else
                f.setFontStrikeOut(true);
            setFormat(k, 1, f);
        }
    }
    words = std::move(line.words);
}

void HtmlSyntaxHighlighter::highlightBlock(const QString &text)
{
    // The words spelling looks at are the ones the Spell Check dialog walks.
    std::vector<WordSpan> words;
    if (m_markdown) {
        markdownBlock(text, words);
    } else {
        LineStart start = lineStart(previousBlockState());
        const auto spans = m_scanner.scanLine(text, start.html);
        words = VisibleWords(text, start.spelling);
        setCurrentBlockState(start.html.encode() + static_cast<int>(start.spelling) * kSpellStateFactor);
        for (const auto &s : spans)
            setFormat(s.start, s.length, m_formats[s.cls]);
    }

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
    const QString text = block.text();
    const int offset = position - block.position();
    for (const WordSpan &w : blockWords(block)) {
        if (offset >= w.start && offset <= w.start + w.length && !m_spell->isCorrect(text.mid(w.start, w.length)))
            return {block.position() + w.start, w.length};
    }
    return {0, 0};
}

std::vector<WordSpan> HtmlSyntaxHighlighter::blockWords(const QTextBlock &block) const
{
    const int previous = block.previous().isValid() ? block.previous().userState() : -1;
    if (m_markdown) {
        MarkdownScanner::State state =
            previous < 0 ? MarkdownScanner::State() : MarkdownScanner::State::decode(previous);
        return MarkdownScanner::scanLine(block.text(), state).words;
    }
    HtmlTextState state = lineStart(previous).spelling;
    return VisibleWords(block.text(), state);
}
