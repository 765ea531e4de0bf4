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

std::vector<std::pair<int, int>> HtmlSyntaxHighlighter::plainStretches(const QString &text,
                                                                       const std::vector<THtmlHighlighter::Span> &spans)
{
    std::vector<std::pair<int, int>> plain;
    int at = 0;
    for (const auto &s : spans) {
        if (s.start > at)
            plain.emplace_back(at, s.start);
        at = std::max(at, s.start + s.length);
    }
    if (at < text.size())
        plain.emplace_back(at, static_cast<int>(text.size()));
    return plain;
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

    const auto plain = plainStretches(text, spans);
    if (!m_searchWord.isEmpty()) {
        QTextCharFormat mark;
        mark.setBackground(Qt::yellow);
        mark.setForeground(Qt::black);
        for (const auto &[from, to] : plain) {
            const QStringView stretch = QStringView(text).mid(from, to - from);
            for (qsizetype at = stretch.indexOf(m_searchWord, 0, Qt::CaseInsensitive); at >= 0;
                 at = stretch.indexOf(m_searchWord, at + m_searchWord.size(), Qt::CaseInsensitive))
                setFormat(from + static_cast<int>(at), static_cast<int>(m_searchWord.size()), mark);
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
