#include "FeedTitle.h"

#include "base/ByteText.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <utility>

namespace FeedTitle {

namespace {

// The named character references entries are written with: HTML's Latin-1
// set (U+00A0 to U+00FF, in order) and the usual punctuation.
const QHash<QString, char32_t> &namedReferences()
{
    static const QHash<QString, char32_t> names = [] {
        QHash<QString, char32_t> table;
        const char *const latin1[] = {
            "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
            "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
            "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
            "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
            "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
            "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
            "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
            "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
            "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
            "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
        char32_t code = 0xA0;
        for (const char *name : latin1)
            table.insert(QString::fromLatin1(name), code++);
        const std::pair<const char *, char32_t> others[] = {
            {"quot", 0x22},     {"amp", 0x26},      {"apos", 0x27},     {"lt", 0x3C},       {"gt", 0x3E},
            {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},  {"Yuml", 0x178},
            {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"ndash", 0x2013},  {"mdash", 0x2014},
            {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
            {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026},
            {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
            {"euro", 0x20AC},   {"trade", 0x2122},  {"larr", 0x2190},   {"rarr", 0x2192},
        };
        for (const auto &[name, value] : others)
            table.insert(QString::fromLatin1(name), value);
        return table;
    }();
    return names;
}

// Tags that end a line of text as a reader sees it: they stand for a space.
bool breaksText(QStringView tag)
{
    static const QStringList blocks{"p",  "br", "div", "li", "ul", "ol", "h1",  "h2",    "h3",         "h4",
                                    "h5", "h6", "tr",  "td", "th", "hr", "pre", "table", "blockquote", "img"};
    qsizetype at = tag.startsWith(u'/') ? 1 : 0;
    qsizetype end = at;
    while (end < tag.size() && tag[end].isLetterOrNumber())
        ++end;
    return blocks.contains(tag.mid(at, end - at).toString(), Qt::CaseInsensitive);
}

// The character a reference such as "&amp;", "&#8217;" or "&#x2019;" stands
// for, with the reference's length; nothing for text that is none.
std::optional<std::pair<QString, qsizetype>> reference(const QString &text, qsizetype at)
{
    const qsizetype semicolon = text.indexOf(u';', at + 1);
    if (semicolon < 0 || semicolon - at > 12)
        return std::nullopt;
    const QString name = text.mid(at + 1, semicolon - at - 1);
    char32_t code = 0;
    bool ok = false;
    if (name.startsWith(u'#')) {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        ok = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    } else if (const auto found = namedReferences().constFind(name); found != namedReferences().cend()) {
        code = found.value();
        ok = true;
    }
    if (!ok)
        return std::nullopt;
    return std::make_pair(QString::fromUcs4(&code, 1), semicolon - at + 1);
}

} // namespace

QString fromText(const QByteArray &text)
{
    const QString chars = ByteText::isUtf8(text) ? ByteText::decode(text) : ByteText::decodeWindows1252(text);
    // The words as a reader sees them, one space between each.
    QString words;
    auto add = [&words](const QString &piece) {
        for (const QChar c : piece) {
            if (c.isSpace() || c.category() == QChar::Other_Control) {
                if (!words.isEmpty() && !words.endsWith(u' '))
                    words += u' ';
            } else {
                words += c;
            }
        }
    };
    for (qsizetype i = 0; i < chars.size() && words.size() <= kLength + 1;) {
        const QChar c = chars[i];
        // As a browser reads it: "<" starts a tag only before a letter, "/", "!" or "?".
        const QChar next = i + 1 < chars.size() ? chars[i + 1] : QChar();
        if (c == u'<' && (next.isLetter() || next == u'/' || next == u'!' || next == u'?')) {
            const qsizetype end = chars.indexOf(u'>', i + 1);
            if (end < 0)
                break; // an open tag to the end: no more text
            if (breaksText(QStringView(chars).mid(i + 1, end - i - 1)))
                add(QStringLiteral(" "));
            i = end + 1;
        } else if (c == u'&') {
            const auto character = reference(chars, i);
            add(character ? character->first : QString(c));
            i += character ? character->second : 1;
        } else {
            add(QString(c));
            ++i;
        }
    }
    words = words.trimmed();
    if (words.size() <= kLength)
        return words;
    // Cut before the word that would pass the length; a single word longer
    // than that is cut inside.
    qsizetype cut = words.lastIndexOf(u' ', kLength);
    if (cut <= 0)
        cut = kLength;
    QString title = words.left(cut);
    static const QString loose = QStringLiteral(" ,;:.-\u2013\u2014");
    while (!title.isEmpty() && loose.contains(title.back()))
        title.chop(1);
    return title + QChar(0x2026);
}

} // namespace FeedTitle
