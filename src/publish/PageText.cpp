#include "PageText.h"

#include "base/ByteText.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace PageText {

qsizetype findIgnoringCase(const QByteArray &text, QByteArrayView pattern, qsizetype from)
{
    const qsizetype n = pattern.size();
    if (n == 0)
        return from <= text.size() ? from : -1;
    const char *t = text.constData();
    const char *p = pattern.constData();
    const char first = static_cast<char>(p[0] & ~0x20);
    // The two bytes that match the first one; memchr finds the candidates.
    // The next of the one is kept, and the other is looked for only up to
    // it, so a search costs the distance to its match, also when it is
    // repeated from one match to the next over a long text.
    const char lower = first, upper = static_cast<char>(first | 0x20);
    const qsizetype last = text.size() - n; // the last start that fits
    qsizetype nextUpper = -1;               // the next candidate of upper, once looked up
    for (qsizetype i = std::max<qsizetype>(from, 0); i <= last; ++i) {
        if (nextUpper < i) {
            const void *hit = std::memchr(t + i, upper, static_cast<size_t>(last + 1 - i));
            nextUpper = hit ? static_cast<const char *>(hit) - t : last + 1;
        }
        const void *hit = std::memchr(t + i, lower, static_cast<size_t>(nextUpper - i));
        i = hit ? static_cast<const char *>(hit) - t : nextUpper;
        if (i > last)
            break;
        qsizetype k = 1;
        while (k < n && static_cast<char>(t[i + k] & ~0x20) == static_cast<char>(p[k] & ~0x20))
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

qsizetype findExact(const QByteArray &text, QByteArrayView pattern, qsizetype from)
{
    return text.indexOf(pattern, std::max<qsizetype>(from, 0));
}

bool sameTag(const QByteArray &token, QByteArrayView tag)
{
    return token.size() == tag.size() && findIgnoringCase(token, tag) == 0;
}

namespace {

// The next CR LF at or after from, or -1.
qsizetype nextLineBreak(const QByteArray &text, qsizetype from)
{
    const char *t = text.constData();
    const qsizetype size = text.size();
    while (from + 1 < size) {
        const void *cr = std::memchr(t + from, '\r', static_cast<size_t>(size - 1 - from));
        if (!cr)
            return -1;
        const qsizetype at = static_cast<const char *>(cr) - t;
        if (t[at + 1] == '\n')
            return at;
        from = at + 1;
    }
    return -1;
}

} // namespace

QByteArray InsertParagraphs(const QByteArray &text, bool autoinsert)
{
    if (!autoinsert || nextLineBreak(text, 0) < 0 || findIgnoringCase(text, "</p>") >= 0)
        return text;
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype start = 0;
    for (qsizetype c = nextLineBreak(text, 0); c >= 0; c = nextLineBreak(text, start)) {
        out += "<p>";
        out += QByteArrayView(text).sliced(start, c - start);
        out += "</p>";
        start = c + 2;
    }
    out += QByteArrayView(text).sliced(start);
    return out;
}

QByteArray ReplaceExtTag(const QByteArray &text, const QByteArray &extension)
{
    static const QByteArray tag("<$WrenExt>");
    qsizetype at = findIgnoringCase(text, tag);
    if (at < 0)
        return text;
    QByteArray out;
    qsizetype start = 0;
    while (at >= 0) {
        out += QByteArrayView(text).sliced(start, at - start);
        out += extension;
        start = at + tag.size();
        at = findExact(text, tag, start);
    }
    out += QByteArrayView(text).sliced(start);
    return out;
}

QByteArray EscapeXml(const QByteArray &text)
{
    // Valid UTF-8 is escaped as bytes: every byte that needs an entity or is
    // left out is ASCII, and no byte of a longer sequence is ASCII, so the
    // other bytes go as they are; of the longer ones only U+FFFE and U+FFFF
    // (EF BF BE, EF BF BF) are left out. A feed of every period escapes
    // every entry of the journal, so this is written for speed.
    if (ByteText::isUtf8(text)) {
        const char *s = text.constData();
        const qsizetype n = text.size();
        QByteArray out(n * 6, Qt::Uninitialized); // "&quot;" is the longest
        char *o = out.data();
        auto put = [&o](const char *entity, size_t size) {
            std::memcpy(o, entity, size);
            o += size;
        };
        for (qsizetype i = 0; i < n; ++i) {
            const auto c = static_cast<unsigned char>(s[i]);
            switch (c) {
            case '&':
                put("&amp;", 5);
                break;
            case '<':
                put("&lt;", 4);
                break;
            case '>':
                put("&gt;", 4);
                break;
            case '"':
                put("&quot;", 6);
                break;
            case '\'':
                put("&apos;", 6);
                break;
            default:
                if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                    break; // left out
                if (c == 0xEF && i + 2 < n && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
                    (static_cast<unsigned char>(s[i + 2]) & 0xFE) == 0xBE) {
                    i += 2;
                    break;
                }
                *o++ = static_cast<char>(c);
            }
        }
        out.truncate(o - out.constData());
        return out;
    }
    const QString chars = ByteText::decodeWindows1252(text);
    QString out;
    out.reserve(chars.size() + chars.size() / 8);
    for (const QChar c : chars) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        default:
            if ((c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c.unicode() == 0xFFFE ||
                c.unicode() == 0xFFFF)
                break;
            out += c;
        }
    }
    return ByteText::encode(out);
}

std::optional<QByteArray> tagPicture(const QByteArray &token, const QByteArray &prefix)
{
    if (token.size() < prefix.size() + 1 || !token.endsWith('>') ||
        findIgnoringCase(token.left(prefix.size()), prefix) != 0)
        return std::nullopt;
    return token.mid(prefix.size(), token.size() - prefix.size() - 1);
}

} // namespace PageText
