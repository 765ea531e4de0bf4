#include "BlockWriter.h"

#include "base/ByteText.h"
#include "publish/ArchivePeriod.h"
#include "publish/FeedTitle.h"
#include "publish/MarkdownAhead.h"
#include "publish/MarkdownText.h"
#include "publish/PageText.h"

BlockWriter::BlockWriter(PublishContext &ctx, const PageRequest &page, const BlockProgram &program, QByteArray &out)
    : m_ctx(ctx), m_program(program), m_out(out), m_extension(ByteText::encode(page.upload.arcExt)),
      m_markdown(entryFormat(ctx) == EntryFormat::Markdown), m_ahead(ctx.reused.markdownAhead.get())
{
}

EntryFormat BlockWriter::entryFormat(PublishContext &ctx)
{
    auto &format = ctx.reused.entryFormat;
    if (!format)
        format = ctx.settings.entryFormat(ctx.journal.id);
    return *format;
}

void BlockWriter::write(const EntryRow &e)
{
    int at = 0;
    for (;;) {
        const BlockProgram::Run &run = m_program.runs[static_cast<size_t>(at)];
        steps(run.steps, e);
        if (!run.endsAtHeader)
            return;
        if (m_lastHeaderDay.isValid() && e.day == m_lastHeaderDay) {
            at = run.sameDay;
        } else {
            m_lastHeaderDay = e.day;
            steps(run.header, e);
            at = run.newDay;
        }
    }
}

void BlockWriter::steps(const std::vector<BlockProgram::Step> &steps, const EntryRow &e)
{
    using Tag = BlockProgram::Tag;
    const char *block = m_program.block.constData();
    for (const BlockProgram::Step &step : steps) {
        switch (step.tag) {
        case Tag::Text:
            m_out.append(block + step.from, step.size);
            break;
        case Tag::Entry:
            m_out += "<a name=\"WrenID";
            m_out += e.id;
            m_out += "\"></a>";
            if (m_markdown)
                appendMarkdown(e, m_out);
            else
                m_out += processedText(e);
            break;
        case Tag::Author:
            m_out += e.author;
            break;
        case Tag::Date:
            m_out += ByteText::encode(m_dates.format(e.day, QTime(0, 0), m_ctx.names));
            break;
        case Tag::Time:
            m_out += ByteText::encode(m_times.format(timeOnlyDay(), e.time, m_ctx.names));
            break;
        case Tag::Id:
            m_out += e.id;
            break;
        case Tag::Ext:
            m_out += m_extension;
            break;
        case Tag::Title:
            m_out += e.title;
            break;
        case Tag::Link:
            m_out += archiveName(e.day);
            m_out += '.';
            m_out += m_extension;
            m_out += "#WrenID";
            m_out += e.id;
            break;
        // The tags a feed needs: texts escaped for XML, and the entry's
        // moment in UTC with a picture of its own.
        case Tag::EntryXml:
            if (m_markdown) {
                m_converted.clear();
                appendMarkdown(e, m_converted);
                m_out += PageText::EscapeXml(m_converted);
            } else {
                m_out += PageText::EscapeXml(processedText(e));
            }
            break;
        case Tag::TitleXml:
            m_out += PageText::EscapeXml(titleOf(e));
            break;
        case Tag::ArcName:
            m_out += archiveName(e.day);
            break;
        case Tag::Utc:
            m_out += ByteText::encode(FormatDate(step.picture, QDateTime(e.day, e.time).toUTC(), m_ctx.names));
            break;
        }
    }
}

const QByteArray &BlockWriter::archiveName(const QDate &day)
{
    const QDate start = ArchivePeriod::PeriodStart(day, m_ctx.journal.arcType);
    if (start != m_namedPeriod) {
        m_namedPeriod = start;
        m_archiveName = ByteText::encode(ArchivePeriod::ArchiveName(day, m_ctx.journal.arcType));
    }
    return m_archiveName;
}

QByteArray BlockWriter::titleOf(const EntryRow &e)
{
    if (!e.title.trimmed().isEmpty())
        return e.title;
    // A Markdown entry's words are those of its HTML.
    if (m_markdown) {
        m_titleText.clear();
        appendMarkdown(e, m_titleText);
    }
    QString made = FeedTitle::fromText(m_markdown ? m_titleText : e.entry);
    if (made.isEmpty())
        made = m_dates.format(e.day, QTime(0, 0), m_ctx.names);
    return made.toUtf8();
}

void BlockWriter::appendMarkdown(const EntryRow &e, QByteArray &to)
{
    if (!m_ahead) {
        MarkdownText::AppendHtml(e.entry, to, &m_extension);
        return;
    }
    bool holdsTag = false;
    const QByteArray &html = m_ahead->html(e.id, e.entry, holdsTag);
    if (holdsTag)
        MarkdownText::AppendWithExtension(html, to, m_extension);
    else
        to += html;
}

QByteArray BlockWriter::processedText(const EntryRow &e) const
{
    return PageText::ReplaceExtTag(PageText::InsertParagraphs(e.entry, m_ctx.options.autoinsertTag), m_extension);
}
