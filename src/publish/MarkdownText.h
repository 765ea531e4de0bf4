#pragma once

#include <QByteArray>

// Entries written in Markdown, turned into the HTML of a page.
namespace MarkdownText {

// Appends the HTML of the Markdown text to out: CommonMark with tables,
// strikethrough and autolinks (an address or a "www." name in the text
// becomes a link); raw HTML passes through as CommonMark says. The text is
// read as bytes, as stored, and nothing is added around it.
//
// The extension tag "<$WrenExt>", found as ReplaceExtTag finds it (the first
// in any letter case, later ones spelt exactly so), comes out as extension
// wherever it stood, inside a link target too; with no extension it comes
// out as "<$WrenExt>" itself. Throws WrenError when the converter fails (it
// fails only when it runs out of memory).
void AppendHtml(const QByteArray &markdown, QByteArray &out, const QByteArray *extension = nullptr);

// Appends HTML that AppendHtml made with no extension, with the extension in
// place of every "<$WrenExt>": the same as converting with the extension.
void AppendWithExtension(const QByteArray &html, QByteArray &out, const QByteArray &extension);

// What names the converter and its options: the library's file with its
// size and time, and the option flags. HTML made under another signature may
// differ.
QByteArray ConverterSignature();

} // namespace MarkdownText
