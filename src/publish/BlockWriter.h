#pragma once

#include "publish/BlockProgram.h"
#include "publish/FormatDate.h"
#include "publish/PublishContext.h"

#include <QByteArray>
#include <QDate>
#include <QTime>

#include <vector>

class MarkdownAhead;

// One entry row of the page, its fields as page bytes.
// The formatted date and time and the link are made only when the block asks
// for them: most templates use few of them, and each costs a format.
struct EntryRow {
    QDate day;
    QTime time;
    QByteArray id, author, title, entry;
};

// Writes the expanded entry block for each entry of a page. The context, the
// program and out must outlive the writer; the day header is written for the
// first entry of each day, counted over the entries given to this writer.
class BlockWriter {
public:
    BlockWriter(PublishContext &ctx, const PageRequest &page, const BlockProgram &program, QByteArray &out);

    // Reads the journal's entry format from the settings file once a command.
    static EntryFormat entryFormat(PublishContext &ctx);

    // Appends the block expanded for the entry to out.
    void write(const EntryRow &e);

private:
    void steps(const std::vector<BlockProgram::Step> &steps, const EntryRow &e);
    // The name of the archive page that holds the day; the entries of a page
    // mostly share one.
    const QByteArray &archiveName(const QDate &day);
    // The entry's title; for one without, a title made from its text, or
    // its date when the text has no words: feed readers list entries by title.
    QByteArray titleOf(const EntryRow &e);
    // A Markdown entry's HTML, converted ahead when it was.
    void appendMarkdown(const EntryRow &e, QByteArray &to);
    // An HTML entry's text as the page holds it. A Markdown entry gets no
    // paragraph tags of ours: the converter makes the paragraphs.
    QByteArray processedText(const EntryRow &e) const;

    PublishContext &m_ctx;
    const BlockProgram &m_program;
    QByteArray &m_out;
    const QByteArray m_extension;
    const bool m_markdown;
    MarkdownAhead *m_ahead;
    QByteArray m_converted; // a Markdown entry's HTML, for the feed's escaping
    QByteArray m_titleText; // and for a title made from its words
    const DatePicture m_dates = DatePicture::of(m_ctx.journal.dtFormat);
    const DatePicture m_times = DatePicture::of(m_ctx.journal.tmFormat);
    QDate m_lastHeaderDay;
    QDate m_namedPeriod;
    QByteArray m_archiveName;
};
