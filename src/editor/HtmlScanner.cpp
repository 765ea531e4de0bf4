#include "HtmlScanner.h"

namespace {

using H = THtmlHighlighter;

bool isEntityChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'#' || u == u'&' || u == u'_' || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') ||
           (u >= u'a' && u <= u'z');
}

// ASCII letters folded to upper case, as names are compared.
QString upper(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        out[i] = (u >= u'a' && u <= u'z') ? QChar(u - 32) : text[i];
    }
    return out;
}

qsizetype find(QStringView line, QStringView what, qsizetype from)
{
    return from > line.size() ? -1 : line.indexOf(what, from);
}

} // namespace

const std::array<H::Element, H::kElementCount> &H::elements()
{
    static const std::array<Element, kElementCount> table = [] {
        const char *const names[kElementCount] = {
            "SCRIPT",   "A",     "ADDRESS",  "ACRONYM",    "APPLET",   "AREA",      "B",        "BASE",    "BASEFONT",
            "BGSOUND",  "BIG",   "BLINK",    "BLOCKQUOTE", "BODY",     "BR",        "BUTTON",   "CAPTION", "CITE",
            "CENTER",   "CODE",  "COL",      "COLGROUP",   "COMMENT",  "DD",        "DEL",      "DFN",     "DIR",
            "DIV",      "DL",    "DT",       "EM",         "EMBED",    "FIELDSET",  "FORM",     "FONT",    "FRAME",
            "FRAMESET", "H1",    "H2",       "H3",         "H4",       "H5",        "H6",       "HEAD",    "HR",
            "HTML",     "I",     "IFRAME",   "ILAYER",     "IMG",      "INPUT",     "INS",      "ISINDEX", "KBD",
            "KEYGEN",   "LABEL", "LAYER",    "LEGEND",     "LI",       "LINK",      "LISTING",  "MAP",     "MARQUEE",
            "MENU",     "META",  "MULTICOL", "NEXTID",     "NOBR",     "NOEMBED",   "NOFRAMES", "NOLAYER", "NOSCRIPT",
            "OBJECT",   "OL",    "OPTION",   "P",          "PARAM",    "PLAINTEXT", "Q",        "S",       "SAMP",
            "SELECT",   "SOUND", "SMALL",    "SPACER",     "SPAN",     "STRIKE",    "STRONG",   "STYLE",   "SUB",
            "SUP",      "TABLE", "TBODY",    "TD",         "TEXTAREA", "TFOOT",     "TH",       "THEAD",   "TITLE",
            "TR",       "TT",    "U",        "UL",         "VAR",      "WBR",       "!DOCTYPE"};
        std::array<Element, kElementCount> t{};
        for (int i = 0; i < kElementCount; ++i) {
            const QByteArray n(names[i]);
            bool attributes = true, closing = true;
            if (n == "B" || n == "HEAD" || n == "HTML" || n == "I" || n == "S" || n == "TITLE" || n == "U")
                attributes = false;
            else if (n == "BR")
                attributes = closing = false;
            else if (n == "SCRIPT" || n == "BASE" || n == "BASEFONT" || n == "FRAME" || n == "IMG" || n == "INPUT" ||
                     n == "META" || n == "!DOCTYPE")
                closing = false;
            t[i] = {names[i], attributes, closing};
        }
        return t;
    }();
    return table;
}

H::THighlightInfo H::defaultInfo(Class cls)
{
    THighlightInfo i;
    switch (cls) {
    case Bracket:
        i.bold = true;
        i.foreground = 0x0000FF;
        break;
    case HtmlKeyword:
        i.bold = true;
        i.foreground = 0x000080;
        break;
    case HtmlTag:
        i.italic = true;
        i.foreground = 0x008000;
        break;
    case HtmlComment:
        i.italic = true;
        i.foreground = 0x808000;
        break;
    case HtmlAttribute:
        i.foreground = 0x008000;
        break;
    case HtmlAttributeValue:
        i.foreground = 0x808080;
        break;
    case ScriptContent:
        i.altFont = true;
        i.foreground = SystemText;
        break;
    case SpecialChars:
        i.foreground = 0xFF00FF;
        break;
    case UnknownTag:
        i.foreground = 0xFF0000;
        break;
    case ScriptTag:
        i.bold = true;
        i.background = SystemWindow;
        i.foreground = 0x800080;
        break;
    case DefaultText:
    case ClassCount:
        i.foreground = SystemText;
        break;
    }
    return i;
}

H::State H::State::decode(int value)
{
    State s;
    if (value < 0)
        return s;
    s.kind = static_cast<Kind>(std::min(value / 256, static_cast<int>(Processing)));
    s.context = value % 256;
    return s;
}

int H::lookUp(QStringView upperName, bool closingTag) const
{
    if (upperName.isEmpty())
        return -1;
    const auto &table = elements();
    for (int row = 0; row < kElementCount; ++row) {
        const char *name = table[row].name;
        const auto length = static_cast<qsizetype>(std::char_traits<char>::length(name));
        if (length != upperName.size())
            continue;
        if (upperName == QLatin1StringView(name, length))
            return closingTag && !table[row].closing ? -1 : row;
    }
    return -1;
}

std::vector<H::Span> H::scanLine(QStringView line, State &state) const
{
    std::vector<Span> spans;
    const qsizetype n = line.size();
    QString upperLine; // made when a search needs it, reused for the rest of the line
    auto span = [&spans](qsizetype start, qsizetype length, Class cls) {
        if (length > 0)
            spans.push_back({static_cast<int>(start), static_cast<int>(length), cls});
    };
    qsizetype i = 0;
    while (i < n) {
        switch (state.kind) {
        case State::Plain: {
            qsizetype at = i;
            while (at < n && line[at] != u'&' && line[at] != u'<')
                ++at;
            if (at >= n)
                return spans;
            if (line[at] == u'&') {
                qsizetype j = at + 1;
                while (j < n && isEntityChar(line[j]))
                    ++j;
                if (j < n && line[j] == u';')
                    ++j;
                span(at, j - at, SpecialChars);
                i = j;
                break;
            }
            if (line.mid(at + 1, 3) == u"!--") {
                const qsizetype end = find(line, u"-->", at + 4);
                if (end < 0) {
                    span(at, n - at, HtmlComment);
                    state = {State::Comment, CommentContext};
                    return spans;
                }
                span(at, end + 3 - at, HtmlComment);
                i = end + 3;
                break;
            }
            span(at, 1, Bracket);
            const qsizetype k = at + 1;
            if (k < n && (line[k] == u'%' || line[k] == u'?')) {
                const bool server = line[k] == u'%';
                span(k, 1, ScriptContent);
                state = server ? State{State::Server, ServerContext} : State{State::Processing, ProcessingContext};
                i = k + 1;
                break;
            }
            qsizetype e = k;
            while (e < n && line[e] != u' ' && line[e] != u'\t' && line[e] != u'>')
                ++e;
            const QStringView name = line.mid(k, e - k);
            const bool closingTag = name.startsWith(u'/');
            int row;
            if (XMLSyntax) {
                row = 1;
            } else {
                if (upperLine.isEmpty())
                    upperLine = upper(line);
                row = lookUp(QStringView(upperLine).mid(k + (closingTag ? 1 : 0), e - k - (closingTag ? 1 : 0)),
                             closingTag);
            }
            if (row < 0) {
                state = {State::UnknownBody, UnknownContext};
                i = k;
                break;
            }
            span(k, e - k, HtmlKeyword);
            const bool body = XMLSyntax || (!closingTag && elements()[row].attributes);
            state = {body ? State::TagBody : State::UnknownBody, row};
            i = e;
            break;
        }
        case State::TagBody: {
            qsizetype eq = i, gt = i;
            while (eq < n && line[eq] != u'=')
                ++eq;
            while (gt < n && line[gt] != u'>')
                ++gt;
            if (eq < n && eq < gt) {
                // The name reaches back over blanks, then to the previous blank.
                qsizetype s = eq;
                while (s > i && line[s - 1] == u' ')
                    --s;
                while (s > i && line[s - 1] != u' ')
                    --s;
                span(i, s - i, HtmlTag);
                span(s, eq + 1 - s, HtmlAttribute);
                qsizetype v = eq + 1;
                while (v < n && line[v] == u' ')
                    ++v;
                qsizetype end = v;
                if (v < n && (line[v] == u'"' || line[v] == u'\'')) {
                    const QChar quote = line[v];
                    end = v + 1;
                    while (end < n && line[end] != quote)
                        ++end;
                    end = end < n ? end + 1 : n;
                } else {
                    while (end < n && line[end] != u' ' && line[end] != u'>')
                        ++end;
                }
                span(eq + 1, end - (eq + 1), HtmlAttributeValue);
                i = end;
                break;
            }
            if (gt >= n) {
                span(i, n - i, HtmlTag);
                return spans;
            }
            span(i, gt - i, HtmlTag);
            span(gt, 1, Bracket);
            i = gt + 1;
            state = state.context == 0 && !XMLSyntax ? State{State::ScriptBody, 0} : State{};
            break;
        }
        case State::UnknownBody: {
            qsizetype gt = i;
            while (gt < n && line[gt] != u'>')
                ++gt;
            if (gt >= n) {
                span(i, n - i, UnknownTag);
                return spans;
            }
            span(i, gt - i, UnknownTag);
            span(gt, 1, Bracket);
            i = gt + 1;
            state = {};
            break;
        }
        case State::Comment: {
            const qsizetype end = find(line, u"-->", i);
            if (end < 0) {
                span(i, n - i, HtmlComment);
                return spans;
            }
            span(i, end + 3 - i, HtmlComment);
            i = end + 3;
            state = {};
            break;
        }
        case State::ScriptBody: {
            if (upperLine.isEmpty())
                upperLine = upper(line);
            const qsizetype end = find(upperLine, u"</SCRIPT>", i);
            if (end < 0) {
                span(i, n - i, ScriptContent);
                return spans;
            }
            span(i, end - i, ScriptContent);
            span(end, 9, Bracket);
            i = end + 9;
            state = {};
            break;
        }
        case State::Server:
        case State::Processing: {
            const qsizetype end = find(line, state.kind == State::Server ? u"%>" : u"?>", i);
            if (end < 0) {
                span(i, n - i, ScriptContent);
                return spans;
            }
            span(i, end + 1 - i, ScriptContent);
            span(end + 1, 1, Bracket);
            i = end + 2;
            state = {};
            break;
        }
        }
    }
    return spans;
}
