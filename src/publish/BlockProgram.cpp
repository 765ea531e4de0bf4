#include "BlockProgram.h"

#include "base/ByteText.h"
#include "publish/PageText.h"

#include <algorithm>
#include <optional>

BlockProgram::BlockProgram(const QByteArray &text)
    : block(text), m_headers(positions("<WrenHeader>")), m_headerEnds(positions("</WrenHeader>")),
      m_tags(positions("<$Wren"))
{
    // Runs are made from a list of the places where one starts, not by
    // recursion: a block may hold thousands of headers.
    runAt(0);
    for (size_t i = 0; i < m_pending.size(); ++i)
        build(m_pending[i].first, m_pending[i].second);
}

std::vector<qsizetype> BlockProgram::positions(QByteArrayView pattern) const
{
    std::vector<qsizetype> found;
    for (qsizetype p = PageText::findIgnoringCase(block, pattern); p >= 0;
         p = PageText::findIgnoringCase(block, pattern, p + pattern.size()))
        found.push_back(p);
    return found;
}

qsizetype BlockProgram::next(const std::vector<qsizetype> &at, qsizetype r)
{
    const auto found = std::lower_bound(at.begin(), at.end(), r);
    return found == at.end() ? -1 : *found;
}

BlockProgram::Step BlockProgram::tokenStep(qsizetype from, qsizetype size) const
{
    using PageText::sameTag;
    const QByteArray token = QByteArray::fromRawData(block.constData() + from, size);
    static const std::pair<const char *, Tag> tags[] = {
        {"<$WrenAuthor>", Tag::Author},   {"<$WrenDate>", Tag::Date},         {"<$WrenTime>", Tag::Time},
        {"<$WrenID>", Tag::Id},           {"<$WrenExt>", Tag::Ext},           {"<$WrenTitle>", Tag::Title},
        {"<$WrenLink>", Tag::Link},       {"<$WrenEntryXML>", Tag::EntryXml}, {"<$WrenTitleXML>", Tag::TitleXml},
        {"<$WrenArcName>", Tag::ArcName},
    };
    for (const auto &[name, tag] : tags) {
        if (sameTag(token, name))
            return {tag, from, size, {}};
    }
    if (const std::optional<QByteArray> picture = PageText::tagPicture(token, "<$WrenUTC="))
        return {Tag::Utc, from, size, ByteText::decode(*picture)};
    return {Tag::Text, from, size, {}};
}

void BlockProgram::text(std::vector<Step> &steps, qsizetype from, qsizetype size)
{
    if (size <= 0)
        return;
    if (!steps.empty() && steps.back().tag == Tag::Text && steps.back().from + steps.back().size == from)
        steps.back().size += size;
    else
        steps.push_back({Tag::Text, from, size, {}});
}

int BlockProgram::runAt(qsizetype r)
{
    if (const auto known = m_runAt.find(r); known != m_runAt.end())
        return known->second;
    const int index = static_cast<int>(runs.size());
    m_runAt[r] = index;
    runs.emplace_back();
    m_pending.emplace_back(r, index);
    return index;
}

void BlockProgram::build(qsizetype r, int index)
{
    Run run;
    const qsizetype size = block.size();
    while (r < size) {
        // The day header marker is looked for first: text in front of one
        // still ahead is written as it stands, tags and all.
        qsizetype p = next(m_headers, r);
        if (p < 0)
            p = next(m_tags, r);
        const qsizetype gt = p == r ? block.indexOf('>', r) : -1;
        if (p == r && gt >= 0) {
            const qsizetype from = r;
            r = gt + 1;
            const QByteArray token = QByteArray::fromRawData(block.constData() + from, r - from);
            if (PageText::sameTag(token, "<WrenHeader>")) {
                run.endsAtHeader = true;
                const qsizetype after = header(run.header, r);
                const qsizetype end = next(m_headerEnds, r);
                // Without an end marker the header runs to the end of the block.
                const qsizetype skipTo = end < 0 ? size : end + 13;
                run.newDay = runAt(after);
                run.sameDay = runAt(skipTo);
                break;
            }
            if (PageText::sameTag(token, "<$WrenEntry>"))
                run.steps.push_back({Tag::Entry, from, r - from, {}});
            else if (Step step = tokenStep(from, r - from); step.tag != Tag::Text)
                run.steps.push_back(step);
            else
                text(run.steps, from, r - from);
        } else if (p > r) {
            text(run.steps, r, p - r);
            r = p;
        } else {
            text(run.steps, r, size - r);
            r = size;
        }
    }
    runs[static_cast<size_t>(index)] = std::move(run);
}

qsizetype BlockProgram::header(std::vector<Step> &steps, qsizetype r) const
{
    const qsizetype size = block.size();
    while (r < size) {
        const qsizetype q = block.indexOf('<', r);
        if (q < 0)
            break; // the rest holds no "<": the block writes it as plain text
        if (q > r) {
            text(steps, r, q - r);
            r = q;
            continue;
        }
        const qsizetype gt = block.indexOf('>', r);
        if (gt < 0) {
            text(steps, r, size - r);
            r = size;
            break;
        }
        const qsizetype from = r;
        r = gt + 1;
        if (PageText::sameTag(QByteArray::fromRawData(block.constData() + from, r - from), "</WrenHeader>"))
            break;
        // In the header every token but the entry tags stands as written,
        // "<$WrenEntry>" too.
        const Step step = tokenStep(from, r - from);
        if (step.tag == Tag::Text)
            text(steps, from, r - from);
        else
            steps.push_back(step);
    }
    return r;
}
