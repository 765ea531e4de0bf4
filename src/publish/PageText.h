#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The text rules of page generation. Pages, templates and entries are byte
// strings (UTF-8 here), and tags are found on bytes.
namespace PageText {

// The first occurrence of pattern in text at or after from, or -1. Two bytes
// match when they are equal after clearing their 0x20 bit, so ASCII letters
// match in either case.
qsizetype findIgnoringCase(const QByteArray &text, QByteArrayView pattern, qsizetype from = 0);
// The same, bytes compared as they are.
qsizetype findExact(const QByteArray &text, QByteArrayView pattern, qsizetype from = 0);

// True when token equals tag ignoring ASCII letter case.
bool sameTag(const QByteArray &token, QByteArrayView tag);

// Turns every line that ends in CR LF into a paragraph ("<p>line</p>", the
// line break dropped) and leaves the text after the last line break unwrapped.
// Unchanged when autoinsert is off, when there is no CR LF, or when the text
// already holds "</p>" in any case.
QByteArray InsertParagraphs(const QByteArray &text, bool autoinsert);

// Replaces "<$WrenExt>" by the extension: the first occurrence in any letter
// case, every later one only when spelt exactly so.
QByteArray ReplaceExtTag(const QByteArray &text, const QByteArray &extension);

// The text as UTF-8 character data of an XML document: "&", "<", ">", '"' and
// "'" become entities, control characters that XML does not allow are left
// out, and a text that is not UTF-8 is read as Windows-1252 (as the editor
// shows it), so a feed stays well-formed whatever the entry holds.
QByteArray EscapeXml(const QByteArray &text);

// The picture of a tag of the form "<$WrenName=PICTURE>" whose name (with the
// "=") is prefix, ignoring letter case; nothing when the token is not one.
std::optional<QByteArray> tagPicture(const QByteArray &token, const QByteArray &prefix);

} // namespace PageText
