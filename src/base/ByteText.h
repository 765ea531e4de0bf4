#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Stored texts (entries, titles, templates, names, settings lines) are byte
// strings. Most are UTF-8, but a journal carried over from another system may
// hold bytes that are not (Latin-1 or Windows-1252), and those bytes must
// reach the page, and come back to the file, exactly as they were.
//
// decode() reads bytes as UTF-8 and keeps each byte that is no part of a valid
// UTF-8 sequence as the lone surrogate U+DC80 + byte (the "surrogate escape"
// rule), which no valid text contains; encode() turns such a text back into
// the very same bytes. For valid UTF-8 both are QString::fromUtf8 / toUtf8.
namespace ByteText {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);

// True when the bytes are valid UTF-8 (NUL included).
bool isUtf8(QByteArrayView bytes);
// True when the text holds escaped bytes, that is it came from bytes that are
// not valid UTF-8.
bool hasEscapes(QStringView text);

// Windows-1252, the code page such texts were most likely written in: every
// byte gives a character (the five bytes it leaves undefined give the C1
// control of the same number, as Latin-1 does).
QString decodeWindows1252(QByteArrayView bytes);
// The bytes of text in Windows-1252, or nothing when a character has none.
std::optional<QByteArray> encodeWindows1252(QStringView text);

} // namespace ByteText
