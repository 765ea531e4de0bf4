#include "ByteText.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC80;

// Windows-1252 bytes 0x80..0x9F; 0 marks the five bytes it leaves undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Length of the valid UTF-8 sequence at s[i], or 0 when the byte there starts none.
int sequenceLength(const unsigned char *s, qsizetype i, qsizetype n)
{
    const unsigned char c = s[i];
    if (c < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        min = 0x80;
        code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        min = 0x800;
        code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        min = 0x10000;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (i + length > n)
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char t = s[i + k];
        if ((t & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (t & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

namespace ByteText {

bool isUtf8(QByteArrayView bytes)
{
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const int length = sequenceLength(s, i, n);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

QString decode(QByteArrayView bytes)
{
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes);
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    QString text;
    text.reserve(n);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n;) {
        const int length = sequenceLength(s, i, n);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        text += QChar(char16_t(kEscapeBase + s[i]));
        ++i;
        runStart = i;
    }
    text += QString::fromUtf8(bytes.sliced(runStart));
    return text;
}

bool hasEscapes(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= kEscapeBase && c.unicode() <= kEscapeBase + 0xFF)
            return true;
    }
    return false;
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // A lone low surrogate in the escape range stands for the byte it holds;
        // a real pair (high then low) is ordinary text.
        const bool escaped = c >= kEscapeBase && c <= kEscapeBase + 0xFF && (i == 0 || !text[i - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += text.sliced(runStart, i - runStart).toUtf8();
        bytes += char(c - kEscapeBase);
        runStart = i + 1;
    }
    bytes += text.sliced(runStart).toUtf8();
    return bytes;
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const char16_t mapped = c >= 0x80 && c <= 0x9F ? kHighControls[c - 0x80] : 0;
        out[i] = QChar(mapped ? mapped : char16_t(c));
    }
    return text;
}

std::optional<QByteArray> encodeWindows1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char byte = 0;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = char(c);
        } else {
            int found = -1;
            for (int k = 0; k < 32; ++k) {
                if (kHighControls[k] == c || (kHighControls[k] == 0 && c == 0x80 + k))
                    found = k;
            }
            if (found < 0)
                return std::nullopt;
            byte = char(0x80 + found);
        }
        bytes[i] = byte;
    }
    return bytes;
}

} // namespace ByteText
