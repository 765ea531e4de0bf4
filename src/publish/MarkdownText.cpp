#include "MarkdownText.h"

#include "base/WrenError.h"
#include "publish/PageText.h"

#include <md4c-html.h>

#include <QFileInfo>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace MarkdownText {

namespace {

const QByteArray kExtTag("<$WrenExt>");
constexpr unsigned kRenderer = MD_HTML_FLAG_VERBATIM_ENTITIES;
constexpr unsigned kDialect = MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_PERMISSIVEAUTOLINKS;

// The converter hands its output over in many small pieces; they are copied
// straight into room made at the end of the page, which grows by doubling
// and is cut to what was written at the end.
struct Sink {
    QByteArray &out;
    qsizetype used;
    char *at;

    void resize(qsizetype size)
    {
        out.resize(size);
        at = out.data();
    }
};

void appendPiece(const MD_CHAR *text, MD_SIZE size, void *sink)
{
    auto &s = *static_cast<Sink *>(sink);
    const auto n = static_cast<qsizetype>(size);
    if (s.used + n > s.out.size())
        s.resize(std::max(s.used + n, s.out.size() * 2));
    std::memcpy(s.at + s.used, text, static_cast<size_t>(n));
    s.used += n;
}

void convert(const char *text, qsizetype size, QByteArray &out)
{
    Sink sink{out, out.size(), nullptr};
    // HTML comes out a little longer than its Markdown.
    sink.resize(sink.used + size + size / 4 + 64);
    // Character references stay as written ("&nbsp;" stays "&nbsp;"): they
    // mean the same in the page, and hold in pages of any encoding.
    const int failed =
        md_html(text, static_cast<MD_SIZE>(size), appendPiece, &sink, kDialect, MD_HTML_FLAG_VERBATIM_ENTITIES);
    out.resize(sink.used);
    if (failed != 0)
        throw WrenError(QStringLiteral("Out of memory while converting an entry from Markdown"));
}

// Where ReplaceExtTag would replace the extension tag.
std::vector<qsizetype> extTags(const QByteArray &text)
{
    std::vector<qsizetype> at;
    for (qsizetype p = PageText::findIgnoringCase(text, kExtTag); p >= 0;
         p = PageText::findExact(text, kExtTag, p + kExtTag.size()))
        at.push_back(p);
    return at;
}

} // namespace

void AppendHtml(const QByteArray &markdown, QByteArray &out, const QByteArray *extension)
{
    const std::vector<qsizetype> tags = extTags(markdown);
    if (tags.empty()) {
        convert(markdown.constData(), markdown.size(), out); // straight into the page
        return;
    }
    // The converter would escape the tag's "<" and ">" (as %3C in a link
    // target, &lt; in text), so it goes through as a word of letters and
    // digits that the text does not hold, which every part of Markdown
    // leaves as it is, and the word is replaced afterwards. The word starts
    // with the one "W" it holds, so no two of it can overlap and none can
    // begin inside the text around it; character references are not
    // decoded, so none can spell it either.
    QByteArray word;
    for (int k = 0; word.isEmpty() || PageText::findExact(markdown, word) >= 0; ++k)
        word = "WrenExtTag" + QByteArray::number(k);
    QByteArray source;
    source.reserve(markdown.size() + static_cast<qsizetype>(tags.size()) * word.size());
    qsizetype from = 0;
    for (const qsizetype at : tags) {
        source.append(markdown.constData() + from, at - from);
        source += word;
        from = at + kExtTag.size();
    }
    source.append(markdown.constData() + from, markdown.size() - from);

    QByteArray html;
    html.reserve(source.size() + source.size() / 4);
    convert(source.constData(), source.size(), html);
    const QByteArray &replacement = extension ? *extension : kExtTag;
    from = 0;
    for (qsizetype at = html.indexOf(word); at >= 0; at = html.indexOf(word, from)) {
        out.append(html.constData() + from, at - from);
        out += replacement;
        from = at + word.size();
    }
    out.append(html.constData() + from, html.size() - from);
}

void AppendWithExtension(const QByteArray &html, QByteArray &out, const QByteArray &extension)
{
    // Every "<$WrenExt>" in such HTML is one that AppendHtml put back: the
    // text's own "<" is escaped, and raw HTML holding the exact spelling had
    // it taken as a tag.
    qsizetype from = 0;
    for (qsizetype at = html.indexOf(kExtTag); at >= 0; at = html.indexOf(kExtTag, from)) {
        out.append(html.constData() + from, at - from);
        out += extension;
        from = at + kExtTag.size();
    }
    out.append(html.constData() + from, html.size() - from);
}

QByteArray ConverterSignature()
{
    static const QByteArray signature = [] {
        Dl_info library{};
        const QString file = dladdr(reinterpret_cast<void *>(&md_html), &library) && library.dli_fname
                                 ? QString::fromLocal8Bit(library.dli_fname)
                                 : QString();
        const QFileInfo info(file);
        return (file + u' ' + QString::number(info.size()) + u' ' +
                QString::number(info.lastModified().toMSecsSinceEpoch()) + u' ' + QString::number(kDialect) + u' ' +
                QString::number(kRenderer))
            .toUtf8();
    }();
    return signature;
}

} // namespace MarkdownText
