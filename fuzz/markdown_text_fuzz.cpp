// libFuzzer target for the Markdown conversion of entries: any bytes as an
// entry. Nothing may crash; what the page held before stays; a text without
// the extension tag converts exactly as the converter alone converts it; and
// with the tag, the page is what converting the text with a word in the
// tag's place gives, so the tag changes nothing but its own place; the same
// when the extension is put in after converting with the tag kept. The bytes
// are also read as the records of a cache file. Built by
// scripts/fuzz.sh with clang.

#include "publish/MarkdownCache.h"
#include "publish/MarkdownText.h"
#include "publish/PageText.h"

#include <md4c-html.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void append(const MD_CHAR *text, MD_SIZE size, void *out)
{
    static_cast<QByteArray *>(out)->append(text, static_cast<qsizetype>(size));
}

QByteArray direct(const QByteArray &text)
{
    QByteArray out;
    md_html(text.constData(), static_cast<MD_SIZE>(text.size()), append, &out,
            MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_PERMISSIVEAUTOLINKS, MD_HTML_FLAG_VERBATIM_ENTITIES);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QByteArray before("<p>page so far WrenExtTag0</p>\n");
    // A word of the same length and kind as the one the tag travels as.
    const QByteArray word("WrenExtTag1");
    QByteArray page = before;
    MarkdownText::AppendHtml(text, page, &word);
    if (!page.startsWith(before))
        std::abort();
    const QByteArray html = page.mid(before.size());
    const QByteArray tag("<$WrenExt>");
    if (PageText::findIgnoringCase(text, tag) < 0) {
        if (html != direct(text))
            std::abort();
    } else if (!text.contains("WrenExtTag")) {
        if (html != direct(PageText::ReplaceExtTag(text, word)))
            std::abort();
    }
    QByteArray kept;
    MarkdownText::AppendHtml(text, kept, nullptr);
    if (kept.contains("WrenExtTag") && !text.contains("WrenExtTag"))
        std::abort(); // the word the tag travels as never reaches a page
    // Converted once with the tag kept, as an archive run converts ahead,
    // and given its extension later: the same page.
    QByteArray later;
    MarkdownText::AppendWithExtension(kept, later, word);
    if (later != html)
        std::abort();

    // The same bytes as the records of a cache file: read without reading
    // outside the file, whatever they hold.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Markdown.cache"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write("Wren Markdown cache 1\n" + MarkdownText::ConverterSignature() + '\n' + text);
        file.close();
        MarkdownCache cache(path);
        if (const MarkdownCache::Record *r = cache.find("1", "x"))
            if (r->text != "x")
                std::abort();
    }
    return 0;
}
