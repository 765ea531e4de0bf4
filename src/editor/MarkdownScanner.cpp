#include "MarkdownScanner.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>

namespace {

using H = THtmlHighlighter;
using M = MarkdownScanner;

bool isAsciiPunct(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'!' && u <= u'/') || (u >= u':' && u <= u'@') || (u >= u'[' && u <= u'`') || (u >= u'{' && u <= u'~');
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The elements whose start tag at the start of a line opens an HTML block
// (CommonMark's sixth kind), and the four whose block runs to their end tag.
bool opensHtmlBlock(const QString &name)
{
    static const QStringList names{
        "address",  "article",    "aside",   "base",    "basefont", "blockquote", "body",     "caption",  "center",
        "col",      "colgroup",   "dd",      "details", "dialog",   "dir",        "div",      "dl",       "dt",
        "fieldset", "figcaption", "figure",  "footer",  "form",     "frame",      "frameset", "h1",       "h2",
        "h3",       "h4",         "h5",      "h6",      "head",     "header",     "hr",       "html",     "iframe",
        "legend",   "li",         "link",    "main",    "menu",     "menuitem",   "nav",      "noframes", "ol",
        "optgroup", "option",     "p",       "param",   "section",  "source",     "summary",  "table",    "tbody",
        "td",       "tfoot",      "th",      "thead",   "title",    "tr",         "track",    "ul",       "script",
        "pre",      "style",      "textarea"};
    return names.contains(name);
}

// Where a tag that starts at i ends: just after its ">", outside quotes;
// -1 when the line has none.
qsizetype tagEnd(QStringView line, qsizetype i)
{
    QChar quote;
    for (qsizetype j = i + 1; j < line.size(); ++j) {
        const QChar c = line[j];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return j + 1;
        } else if (c == u'<') {
            return -1;
        }
    }
    return -1;
}

// The end of a run of the character at i.
qsizetype runEnd(QStringView line, qsizetype i, qsizetype to)
{
    qsizetype j = i;
    while (j < to && line[j] == line[i])
        ++j;
    return j;
}

class LineScan {
public:
    LineScan(QStringView line, M::State &state) : m_line(line), m_state(state) {}

    M::Line run();

private:
    void add(qsizetype start, qsizetype length, std::uint8_t cls, bool spelt = false)
    {
        if (length <= 0)
            return;
        m_out.spans.push_back({static_cast<int>(start), static_cast<int>(length), cls});
        if (!spelt)
            m_quiet.emplace_back(start, start + length);
    }
    void html(qsizetype from, qsizetype to, H::State &state);
    bool fence(qsizetype p);
    bool closesFence() const;
    bool htmlBlockStarts(qsizetype p) const;
    qsizetype heading(qsizetype p);
    void inlines(qsizetype from, qsizetype to);
    qsizetype codeSpan(qsizetype i, qsizetype to);
    qsizetype angle(qsizetype i, qsizetype to);
    qsizetype entity(qsizetype i, qsizetype to);
    qsizetype link(qsizetype i, qsizetype to);
    qsizetype emphasis(qsizetype i, qsizetype to);
    qsizetype address(qsizetype i, qsizetype to);
    qsizetype matching(qsizetype open, qsizetype to, QChar opener, QChar closer) const;
    void words(qsizetype from, qsizetype to);

    QStringView m_line;
    M::State &m_state;
    M::Line m_out;
    std::vector<std::pair<qsizetype, qsizetype>> m_quiet; // stretches spelling leaves out
    std::vector<qsizetype> m_closers;                     // emphasis runs already coloured
    bool m_table = false;
};

void LineScan::html(qsizetype from, qsizetype to, H::State &state)
{
    static const H scanner;
    for (const H::Span &s : scanner.scanLine(m_line.sliced(from, to - from), state))
        add(from + s.start, s.length, s.cls);
    m_quiet.emplace_back(from, to);
}

bool LineScan::closesFence() const
{
    qsizetype p = 0;
    while (p < m_line.size() && p < 3 && m_line[p] == u' ')
        ++p;
    const QChar c = m_state.tildeFence ? u'~' : u'`';
    const qsizetype end = runEnd(m_line, p, m_line.size());
    if (p >= m_line.size() || m_line[p] != c || end - p < std::min(m_state.fenceLength, 31))
        return false;
    return m_line.sliced(end).trimmed().isEmpty();
}

bool LineScan::fence(qsizetype p)
{
    if (p >= m_line.size() || (m_line[p] != u'`' && m_line[p] != u'~'))
        return false;
    const qsizetype end = runEnd(m_line, p, m_line.size());
    if (end - p < 3 || (m_line[p] == u'`' && m_line.sliced(end).contains(u'`')))
        return false;
    m_state.kind = M::State::Fence;
    m_state.tildeFence = m_line[p] == u'~';
    m_state.fenceLength = static_cast<int>(std::min<qsizetype>(end - p, 31));
    add(p, end - p, M::Markup);
    add(end, m_line.size() - end, M::Code); // the info string
    return true;
}

bool LineScan::htmlBlockStarts(qsizetype p) const
{
    if (p + 1 >= m_line.size() || m_line[p] != u'<')
        return false;
    const QStringView rest = m_line.sliced(p + 1);
    if (rest.startsWith(u'!') || rest.startsWith(u'?'))
        return true; // a comment, a declaration, CDATA or a processing instruction
    qsizetype n = rest.startsWith(u'/') ? 1 : 0;
    const qsizetype nameStart = n;
    while (n < rest.size() && (isAsciiLetter(rest[n]) || (n > nameStart && isAsciiDigit(rest[n])) || rest[n] == u'-'))
        ++n;
    if (n == nameStart)
        return false;
    if (opensHtmlBlock(rest.sliced(nameStart, n - nameStart).toString().toLower()))
        return true;
    // Any other tag opens one when it stands alone on its line.
    const qsizetype end = tagEnd(m_line, p);
    return end > 0 && m_line.sliced(end).trimmed().isEmpty();
}

qsizetype LineScan::heading(qsizetype p)
{
    const qsizetype end = runEnd(m_line, p, m_line.size());
    if (m_line[p] != u'#' || end - p > 6 || (end < m_line.size() && !isBlank(m_line[end])))
        return -1;
    add(p, end - p, M::Markup);
    add(end, m_line.size() - end, M::Heading, true);
    return end;
}

qsizetype LineScan::matching(qsizetype open, qsizetype to, QChar opener, QChar closer) const
{
    int depth = 0;
    for (qsizetype j = open; j < to; ++j) {
        const QChar c = m_line[j];
        if (c == u'\\') {
            ++j;
        } else if (c == u'`' && opener == u'[') {
            // A code span inside link text hides its brackets.
            const qsizetype end = runEnd(m_line, j, to);
            const qsizetype close = m_line.sliced(0, to).indexOf(m_line.sliced(j, end - j), end);
            if (close > 0)
                j = close + (end - j) - 1;
            else
                j = end - 1;
        } else if (c == opener) {
            ++depth;
        } else if (c == closer && --depth == 0) {
            return j;
        }
    }
    return -1;
}

qsizetype LineScan::codeSpan(qsizetype i, qsizetype to)
{
    const qsizetype open = runEnd(m_line, i, to);
    const qsizetype n = open - i;
    for (qsizetype j = open; j < to;) {
        if (m_line[j] != u'`') {
            ++j;
            continue;
        }
        const qsizetype close = runEnd(m_line, j, to);
        if (close - j == n) {
            add(i, n, M::Markup);
            add(open, j - open, M::Code);
            add(j, n, M::Markup);
            return close;
        }
        j = close;
    }
    return open; // no closing run on this line: the backticks stand as written
}

qsizetype LineScan::angle(qsizetype i, qsizetype to)
{
    const QStringView rest = m_line.sliced(i, to - i);
    if (rest.startsWith(QLatin1String("<!--"))) {
        const qsizetype end = rest.indexOf(QLatin1String("-->"), 4);
        if (end < 0) {
            add(i, to - i, H::HtmlComment);
            m_state.kind = M::State::Comment;
            return to;
        }
        add(i, end + 3, H::HtmlComment);
        return i + end + 3;
    }
    // An autolink: <scheme:...> or <name@host>.
    const qsizetype close = rest.indexOf(u'>');
    if (close > 1) {
        const QStringView inside = rest.sliced(1, close - 1);
        const qsizetype colon = inside.indexOf(u':');
        bool scheme = colon >= 2 && colon <= 32 && isAsciiLetter(inside[0]);
        for (qsizetype k = 1; scheme && k < colon; ++k)
            scheme = isAsciiLetter(inside[k]) || isAsciiDigit(inside[k]) || inside[k] == u'+' || inside[k] == u'.' ||
                     inside[k] == u'-';
        const bool mail = !scheme && inside.contains(u'@') && !inside.contains(u' ') && !inside.contains(u'<');
        if ((scheme && !inside.contains(u' ') && !inside.contains(u'<')) || mail) {
            add(i, 1, M::Markup);
            add(i + 1, close - 1, M::LinkTarget);
            add(i + close, 1, M::Markup);
            return i + close + 1;
        }
    }
    if (rest.size() > 1 && (isAsciiLetter(rest[1]) || rest[1] == u'/' || rest[1] == u'!' || rest[1] == u'?')) {
        const qsizetype end = tagEnd(m_line, i);
        if (end > 0 && end <= to) {
            H::State state;
            html(i, end, state);
            return end;
        }
    }
    return i + 1;
}

qsizetype LineScan::entity(qsizetype i, qsizetype to)
{
    qsizetype j = i + 1;
    if (j < to && m_line[j] == u'#') {
        ++j;
        const bool hex = j < to && (m_line[j] == u'x' || m_line[j] == u'X');
        if (hex)
            ++j;
        const qsizetype digits = j;
        while (j < to && j - digits < 7 &&
               (isAsciiDigit(m_line[j]) || (hex && QStringLiteral("abcdefABCDEF").contains(m_line[j]))))
            ++j;
        if (j == digits)
            return i + 1;
    } else {
        while (j < to && j - i <= 32 && (isAsciiLetter(m_line[j]) || (j > i + 1 && isAsciiDigit(m_line[j]))))
            ++j;
        if (j == i + 1)
            return i + 1;
    }
    if (j >= to || m_line[j] != u';')
        return i + 1;
    add(i, j + 1 - i, H::SpecialChars);
    return j + 1;
}

qsizetype LineScan::link(qsizetype i, qsizetype to)
{
    const qsizetype open = m_line[i] == u'!' ? i + 1 : i;
    const qsizetype close = matching(open, to, u'[', u']');
    if (close < 0)
        return open + 1;
    qsizetype end = -1;
    if (close + 1 < to && m_line[close + 1] == u'(')
        end = matching(close + 1, to, u'(', u')');
    else if (close + 1 < to && m_line[close + 1] == u'[')
        end = matching(close + 1, to, u'[', u']');
    if (end < 0)
        return open + 1; // a shortcut reference, or text in brackets: nothing to tell them apart here
    add(i, open + 1 - i, M::Markup);
    add(open + 1, close - open - 1, M::LinkText, true);
    inlines(open + 1, close);
    add(close, 2, M::Markup);
    add(close + 2, end - close - 2, M::LinkTarget);
    add(end, 1, M::Markup);
    return end + 1;
}

qsizetype LineScan::emphasis(qsizetype i, qsizetype to)
{
    const QChar c = m_line[i];
    const qsizetype open = runEnd(m_line, i, to);
    const qsizetype n = open - i;
    if (std::find(m_closers.begin(), m_closers.end(), i) != m_closers.end())
        return open; // the end of a stretch coloured already
    const bool underscore = c == u'_';
    const bool tilde = c == u'~';
    // An opening run is followed by something other than a blank; one of
    // underscores does not stand inside a word.
    if (open >= to || m_line[open].isSpace() || (tilde && n != 2) ||
        (underscore && i > 0 && m_line[i - 1].isLetterOrNumber()))
        return open;
    for (qsizetype j = open; j < to;) {
        if (m_line[j] == u'`') {
            const qsizetype end = runEnd(m_line, j, to);
            const qsizetype close = m_line.sliced(0, to).indexOf(m_line.sliced(j, end - j), end);
            j = close > 0 ? close + (end - j) : end;
            continue;
        }
        if (m_line[j] != c) {
            ++j;
            continue;
        }
        const qsizetype end = runEnd(m_line, j, to);
        const bool closes = !m_line[j - 1].isSpace() && end - j >= std::min<qsizetype>(n, 3) &&
                            !(underscore && end < to && m_line[end].isLetterOrNumber()) && (!tilde || end - j == 2);
        if (!closes) {
            j = end;
            continue;
        }
        const qsizetype width = std::min<qsizetype>(n, tilde ? 2 : 3);
        add(open - width, width, M::Markup);
        add(j, width, M::Markup);
        m_closers.push_back(j);
        if (tilde) {
            add(open, j - open, M::Strike, true);
        } else {
            if (width != 2)
                add(open, j - open, M::Emphasis, true);
            if (width >= 2)
                add(open, j - open, M::Strong, true);
        }
        return open;
    }
    return open;
}

qsizetype LineScan::address(qsizetype i, qsizetype to)
{
    const QStringView rest = m_line.sliced(i, to - i);
    if (i > 0 && (m_line[i - 1].isLetterOrNumber() || m_line[i - 1] == u'/'))
        return -1;
    if (!rest.startsWith(QLatin1String("http://")) && !rest.startsWith(QLatin1String("https://")) &&
        !rest.startsWith(QLatin1String("ftp://")) && !rest.startsWith(QLatin1String("www.")))
        return -1;
    qsizetype j = i;
    while (j < to && !m_line[j].isSpace() && m_line[j] != u'<')
        ++j;
    while (j > i && QStringLiteral("?!.,:*_~'\")").contains(m_line[j - 1]))
        --j;
    add(i, j - i, M::LinkTarget);
    return j;
}

void LineScan::inlines(qsizetype from, qsizetype to)
{
    qsizetype i = from;
    while (i < to) {
        const QChar c = m_line[i];
        if (c == u'\\' && i + 1 < to && isAsciiPunct(m_line[i + 1])) {
            add(i, 1, M::Markup);
            i += 2;
        } else if (c == u'`') {
            i = codeSpan(i, to);
        } else if (c == u'<') {
            i = angle(i, to);
            if (m_state.kind == M::State::Comment)
                return;
        } else if (c == u'&') {
            i = entity(i, to);
        } else if (c == u'[' || (c == u'!' && i + 1 < to && m_line[i + 1] == u'[')) {
            i = link(i, to);
        } else if (c == u'*' || c == u'_' || c == u'~') {
            i = emphasis(i, to);
        } else if (c == u'|' && m_table) {
            add(i, 1, M::Markup);
            ++i;
        } else if (const qsizetype end = (c == u'h' || c == u'f' || c == u'w') ? address(i, to) : -1; end > i) {
            i = end;
        } else if (c.isLetterOrNumber()) {
            // An e-mail address turns into a link: its parts are no words.
            qsizetype j = i;
            while (j < to && (m_line[j].isLetterOrNumber() || QStringLiteral(".-_+@").contains(m_line[j])))
                ++j;
            const QStringView word = m_line.sliced(i, j - i);
            const qsizetype at = word.indexOf(u'@');
            if (at > 0 && word.indexOf(u'.', at) > at + 1 && !word.endsWith(u'.'))
                add(i, j - i, M::LinkTarget);
            i = j;
        } else {
            ++i;
        }
    }
}

void LineScan::words(qsizetype from, qsizetype to)
{
    std::sort(m_quiet.begin(), m_quiet.end());
    for (const WordSpan &w : PlainWords(m_line, from, to)) {
        const bool quiet = std::any_of(m_quiet.begin(), m_quiet.end(), [&](const auto &q) {
            return q.first < w.start + w.length && w.start < q.second;
        });
        if (!quiet)
            m_out.words.push_back(w);
    }
}

M::Line LineScan::run()
{
    const qsizetype size = m_line.size();
    const bool blank = m_line.trimmed().isEmpty();
    switch (m_state.kind) {
    case M::State::Fence:
        if (closesFence()) {
            add(0, size, M::Markup);
            m_state.kind = M::State::Text;
        } else {
            add(0, size, M::Code);
        }
        m_state.afterBlank = false;
        return std::move(m_out);
    case M::State::HtmlBlock:
        if (blank && m_state.html.kind == H::State::Plain) {
            m_state.kind = M::State::Text;
            m_state.afterBlank = true;
            return std::move(m_out);
        }
        html(0, size, m_state.html);
        m_out.words = VisibleWords(m_line.toString(), m_state.words);
        return std::move(m_out);
    case M::State::Comment: {
        const qsizetype end = m_line.indexOf(QLatin1String("-->"));
        if (end < 0) {
            add(0, size, H::HtmlComment);
            return std::move(m_out);
        }
        add(0, end + 3, H::HtmlComment);
        m_state.kind = M::State::Text;
        inlines(end + 3, size);
        words(end + 3, size);
        return std::move(m_out);
    }
    case M::State::Text:
        break;
    }
    if (blank) {
        m_state.afterBlank = true;
        m_state.afterCode = false;
        return std::move(m_out);
    }
    qsizetype p = 0;
    int width = 0;
    while (p < size && isBlank(m_line[p]) && width < 4) {
        width = m_line[p] == u'\t' ? (width / 4 + 1) * 4 : width + 1;
        ++p;
    }
    const bool afterBlank = m_state.afterBlank;
    const bool afterCode = m_state.afterCode;
    m_state.afterBlank = m_state.afterCode = false;
    if (width >= 4 && (afterBlank || afterCode) && !m_state.inList) {
        add(0, size, M::Code);
        m_state.afterCode = true;
        return std::move(m_out);
    }
    if (fence(p))
        return std::move(m_out);
    if (htmlBlockStarts(p)) {
        m_state.kind = M::State::HtmlBlock;
        m_state.html = {};
        m_state.words = HtmlTextState::Text;
        html(0, size, m_state.html);
        m_out.words = VisibleWords(m_line.toString(), m_state.words);
        return std::move(m_out);
    }
    // A line of "=" or "-" under text underlines a heading; "***", "---" or
    // "___" elsewhere is a rule.
    const QString rest = m_line.sliced(p).toString().remove(u' ').remove(u'\t');
    const bool rule = rest.size() >= 3 && (rest.count(u'*') == rest.size() || rest.count(u'-') == rest.size() ||
                                           rest.count(u'_') == rest.size());
    if (!afterBlank && !afterCode && !rest.isEmpty() &&
        (rest.count(u'=') == rest.size() || rest.count(u'-') == rest.size())) {
        add(p, size - p, M::Heading);
        return std::move(m_out);
    }
    if (rule) {
        add(p, size - p, M::Markup);
        return std::move(m_out);
    }
    if (const qsizetype text = heading(p); text >= 0) {
        inlines(text, size);
        words(text, size);
        return std::move(m_out);
    }
    const qsizetype lineStart = p;
    // Quote marks, then a list item's mark.
    while (p < size && m_line[p] == u'>') {
        add(p, 1, M::Markup);
        ++p;
        if (p < size && isBlank(m_line[p]))
            ++p;
    }
    const qsizetype digits = p;
    while (p < size && p - digits < 9 && isAsciiDigit(m_line[p]))
        ++p;
    const bool numbered = p > digits && p < size && (m_line[p] == u'.' || m_line[p] == u')');
    const qsizetype mark = numbered ? p : digits;
    if ((numbered || (mark < size && (m_line[mark] == u'-' || m_line[mark] == u'*' || m_line[mark] == u'+'))) &&
        (mark + 1 >= size || isBlank(m_line[mark + 1]))) {
        add(digits, mark + 1 - digits, M::Markup);
        p = mark + 1;
        m_state.inList = true;
    } else {
        p = digits;
        if (lineStart == 0 && width == 0)
            m_state.inList = false;
    }
    // A link reference definition: [label]: address "title".
    if (p < size && m_line[p] == u'[') {
        const qsizetype close = matching(p, size, u'[', u']');
        if (close > p + 1 && close + 1 < size && m_line[close + 1] == u':') {
            add(p, 1, M::Markup);
            add(p + 1, close - p - 1, M::LinkText);
            add(close, 2, M::Markup);
            qsizetype q = close + 2;
            while (q < size && isBlank(m_line[q]))
                ++q;
            qsizetype target = q;
            while (target < size && !isBlank(m_line[target]))
                ++target;
            add(q, target - q, M::LinkTarget);
            words(target, size); // the title is prose
            return std::move(m_out);
        }
    }
    m_table = p < size && m_line[p] == u'|';
    if (m_table && m_line.sliced(p).toString().remove(QRegularExpression(QStringLiteral("[|:\\- \t]"))).isEmpty()) {
        add(p, size - p, M::Markup); // the row under a table's head
        return std::move(m_out);
    }
    inlines(p, size);
    words(p, size);
    return std::move(m_out);
}

} // namespace

int MarkdownScanner::State::encode() const
{
    return kind | (tildeFence ? 1 << 2 : 0) | (std::min(fenceLength, 31) << 3) | (afterBlank ? 1 << 8 : 0) |
           (afterCode ? 1 << 9 : 0) | (inList ? 1 << 10 : 0) | (html.encode() << 11) | (static_cast<int>(words) << 22);
}

MarkdownScanner::State MarkdownScanner::State::decode(int value)
{
    State s;
    s.kind = static_cast<Kind>(value & 3);
    s.tildeFence = (value >> 2) & 1;
    s.fenceLength = (value >> 3) & 31;
    s.afterBlank = (value >> 8) & 1;
    s.afterCode = (value >> 9) & 1;
    s.inList = (value >> 10) & 1;
    s.html = THtmlHighlighter::State::decode((value >> 11) & 2047);
    s.words = static_cast<HtmlTextState>((value >> 22) & 7);
    return s;
}

MarkdownScanner::Line MarkdownScanner::scanLine(QStringView line, State &state)
{
    return LineScan(line, state).run();
}
