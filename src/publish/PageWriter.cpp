#include "PageWriter.h"

#include "data/Statements.h"
#include "data/StoredValue.h"
#include "base/WrenError.h"
#include "base/ByteText.h"
#include "engine/Database.h"
#include "engine/RowReader.h"
#include "publish/ArchiveIndex.h"
#include "publish/ArchivePeriod.h"
#include "publish/Cookies.h"
#include "publish/FormatDate.h"
#include "publish/PageText.h"
#include "transfer/SiteTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlQuery>

#include <vector>

namespace {

const QString kStoredDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// One entry row of the page, its fields as page bytes.
// The formatted date and time and the link are made only when the block asks
// for them: most templates use few of them, and each costs a format.
struct EntryRow {
    QDate day;
    QTime time;
    QByteArray id, author, title, entry;
};

// Where a pattern occurs in the block, found once per page; each search of an
// entry then continues from the last one, so expanding a block is linear in
// its length however many tags it holds.
class Occurrences {
public:
    Occurrences(const QByteArray &text, const QByteArray &pattern)
    {
        // One pass over the text: repeated searches would each look for the
        // first byte's other case to the end of the text.
        const qsizetype n = pattern.size();
        const char *t = text.constData();
        const char *p = pattern.constData();
        const char first = static_cast<char>(p[0] & ~0x20);
        for (qsizetype i = 0; i + n <= text.size(); ++i) {
            if (static_cast<char>(t[i] & ~0x20) != first)
                continue;
            qsizetype k = 1;
            while (k < n && static_cast<char>(t[i + k] & ~0x20) == static_cast<char>(p[k] & ~0x20))
                ++k;
            if (k == n) {
                m_positions.push_back(i);
                i += n - 1; // the patterns cannot overlap themselves
            }
        }
    }
    void rewind() { m_next = 0; }
    // The first occurrence at or after from, or -1; from never goes back
    // between two rewinds.
    qsizetype from(qsizetype r)
    {
        while (m_next < m_positions.size() && m_positions[m_next] < r)
            ++m_next;
        return m_next < m_positions.size() ? m_positions[m_next] : -1;
    }

private:
    std::vector<qsizetype> m_positions;
    size_t m_next = 0;
};

// Writes the expanded entry block for each entry of a page.
class BlockWriter {
public:
    BlockWriter(PublishContext &ctx, const PageRequest &page, const QByteArray &block, QIODevice &out)
        : m_ctx(ctx), m_page(page), m_block(block), m_out(out), m_headers(block, "<WrenHeader>"),
          m_headerEnds(block, "</WrenHeader>"), m_tags(block, "<$Wren")
    {
    }

    void write(const EntryRow &e)
    {
        const QByteArray &block = m_block;
        m_headers.rewind();
        m_headerEnds.rewind();
        m_tags.rewind();
        qsizetype r = 0;
        while (r < block.size()) {
            qsizetype p = m_headers.from(r);
            if (p < 0)
                p = m_tags.from(r);
            const qsizetype gt = p == r ? block.indexOf('>', r) : -1;
            if (p == r && gt >= 0) {
                const QByteArray token = block.mid(r, gt + 1 - r);
                r = gt + 1;
                if (PageText::sameTag(token, "<WrenHeader>"))
                    r = dayHeader(block, r, e);
                else if (PageText::sameTag(token, "<$WrenEntry>"))
                    writeEntryText(e);
                else
                    m_out.write(entryTag(token, e, token));
            } else if (p > r) {
                m_out.write(block.constData() + r, p - r);
                r = p;
            } else {
                m_out.write(block.constData() + r, block.size() - r);
                r = block.size();
            }
        }
    }

private:
    void writeEntryText(const EntryRow &e)
    {
        m_out.write("<a name=\"WrenID" + e.id + "\"></a>");
        m_out.write(processedText(e));
    }

    // The value of an entry tag, or fallback when the token is none.
    QByteArray entryTag(const QByteArray &token, const EntryRow &e, const QByteArray &fallback) const
    {
        using PageText::sameTag;
        if (sameTag(token, "<$WrenAuthor>"))
            return e.author;
        if (sameTag(token, "<$WrenDate>"))
            return ByteText::encode(FormatDate(m_ctx.journal.dtFormat, e.day, m_ctx.names));
        if (sameTag(token, "<$WrenTime>"))
            return ByteText::encode(FormatDate(m_ctx.journal.tmFormat, timeOnlyDay(), e.time, m_ctx.names));
        if (sameTag(token, "<$WrenID>"))
            return e.id;
        if (sameTag(token, "<$WrenExt>"))
            return ByteText::encode(m_page.upload.arcExt);
        if (sameTag(token, "<$WrenTitle>"))
            return e.title;
        if (sameTag(token, "<$WrenLink>"))
            return ByteText::encode(ArchivePeriod::ArchiveName(e.day, m_ctx.journal.arcType)) + '.' +
                   ByteText::encode(m_page.upload.arcExt) + "#WrenID" + e.id;
        // The tags a feed needs: texts escaped for XML, and the entry's moment
        // in UTC with a picture of its own.
        if (sameTag(token, "<$WrenEntryXML>"))
            return PageText::EscapeXml(processedText(e));
        if (sameTag(token, "<$WrenTitleXML>"))
            return PageText::EscapeXml(e.title);
        if (sameTag(token, "<$WrenArcName>"))
            return ByteText::encode(ArchivePeriod::ArchiveName(e.day, m_ctx.journal.arcType));
        if (const std::optional<QByteArray> picture = PageText::tagPicture(token, "<$WrenUTC="))
            return ByteText::encode(
                FormatDate(ByteText::decode(*picture), QDateTime(e.day, e.time).toUTC(), m_ctx.names));
        return fallback;
    }

    QByteArray processedText(const EntryRow &e) const
    {
        return PageText::ReplaceExtTag(PageText::InsertParagraphs(e.entry, m_ctx.options.autoinsertTag),
                                       ByteText::encode(m_page.upload.arcExt));
    }

    // Handles the day header whose opening marker ends before r; returns where
    // the block goes on.
    qsizetype dayHeader(const QByteArray &block, qsizetype r, const EntryRow &e)
    {
        if (m_lastHeaderDay.isValid() && e.day == m_lastHeaderDay) {
            const qsizetype end = m_headerEnds.from(r);
            // Without an end marker the header runs to the end of the block.
            return end < 0 ? block.size() : end + 13;
        }
        m_lastHeaderDay = e.day;
        QByteArray header;
        while (r < block.size()) {
            const qsizetype q = block.indexOf('<', r);
            if (q < 0)
                break; // the rest holds no "<": the block writes it as plain text
            if (q > r) {
                header += QByteArrayView(block).sliced(r, q - r);
                r = q;
                continue;
            }
            const qsizetype gt = block.indexOf('>', r);
            if (gt < 0) {
                header += QByteArrayView(block).sliced(r);
                r = block.size();
                break;
            }
            const QByteArray token = block.mid(r, gt + 1 - r);
            r = gt + 1;
            if (PageText::sameTag(token, "</WrenHeader>"))
                break;
            header += entryTag(token, e, token);
        }
        m_out.write(header);
        return r;
    }

    PublishContext &m_ctx;
    const PageRequest &m_page;
    const QByteArray &m_block;
    QIODevice &m_out;
    Occurrences m_headers, m_headerEnds, m_tags;
    QDate m_lastHeaderDay;
};

} // namespace

std::optional<QByteArray> PageWriter::LoadTemplate(int templateId)
{
    auto &known = m_ctx.reused.templates;
    if (const auto found = known.find(templateId); found != known.end())
        return found->second;
    return known[templateId] = readTemplate(templateId);
}

std::optional<QByteArray> PageWriter::readTemplate(int templateId)
{
    RowReader row(m_ctx.db, QStringLiteral("SELECT ID, Template, FileDir, FileMod FROM Templates WHERE ID=") +
                                QString::number(templateId));
    if (!row.next())
        return std::nullopt;
    // The stored bytes are the template, whatever their encoding.
    QByteArray text = row.bytes(1);
    const QString fileDir = row.text(2);
    const QFileInfo file(fileDir);
    if (!fileDir.isEmpty() && file.isFile()) {
        const QString modified = file.lastModified().toString(kStoredDateTime);
        if (row.text(3) != modified) {
            QFile in(fileDir);
            if (!in.open(QIODevice::ReadOnly))
                throw WrenError(QStringLiteral("Cannot read the template file %1: %2").arg(fileDir, in.errorString()));
            text = in.readAll();
            const qsizetype zero = text.indexOf('\0');
            if (zero >= 0)
                text.truncate(zero);
            QSqlQuery store(m_ctx.db.connection());
            store.prepare(QStringLiteral("UPDATE Templates SET FileMod=?, Template=CAST(? AS TEXT) WHERE ID=?"));
            store.addBindValue(modified);
            store.addBindValue(text);
            store.addBindValue(templateId);
            m_ctx.db.run(store);
        }
    }
    return text;
}

QDate PageWriter::storedDay(const QVariant &value)
{
    return StoredValue::day(value.toString().toUtf8());
}

std::optional<QDate> PageWriter::validEntryDay(const QString &statement, bool earliest) const
{
    const auto row = m_ctx.db.firstRow(statement);
    if (!row)
        return std::nullopt;
    const QDate day = storedDay(row->value(0));
    if (day.isValid())
        return day;
    // The first or last day is one no calendar has: take the nearest real one.
    std::optional<QDate> found;
    QSqlQuery days = m_ctx.db.run(Statements::entryDaysNewestFirst(m_ctx.journal.id));
    while (days.next()) {
        const QDate d = storedDay(days.value(0));
        if (d.isValid() && (!found || (earliest ? d < *found : d > *found)))
            found = d;
    }
    return found;
}

std::optional<QDate> PageWriter::FirstEntryDay() const
{
    auto &day = m_ctx.reused.firstEntryDay;
    if (!day)
        day = validEntryDay(Statements::earliestEntryDay(m_ctx.journal.id), true);
    return *day;
}

std::optional<QDate> PageWriter::LastEntryDay() const
{
    auto &day = m_ctx.reused.lastEntryDay;
    if (!day)
        day = validEntryDay(Statements::latestEntryDayForArchives(m_ctx.journal.id), false);
    return *day;
}

QByteArray PageWriter::archivePrev(const PageRequest &page)
{
    const std::optional<QDate> first = FirstEntryDay();
    const QDate before = page.firstDay.addDays(-1);
    const QDate p = page.archiveMode ? before : ArchivePeriod::PeriodStart(before, m_ctx.journal.arcType);
    if (first && p >= *first)
        return ByteText::encode(ArchivePeriod::ArchiveName(p, m_ctx.journal.arcType) + u'.' + page.upload.arcExt);
    return ByteText::encode(page.upload.logFile);
}

QByteArray PageWriter::archiveNext(const PageRequest &page)
{
    const std::optional<QDate> last = LastEntryDay();
    const QDate q = ArchivePeriod::PeriodEnd(page.lastDay.addDays(1), m_ctx.journal.arcType);
    if (last && q <= *last)
        return ByteText::encode(ArchivePeriod::ArchiveName(q, m_ctx.journal.arcType) + u'.' + page.upload.arcExt);
    return ByteText::encode(page.upload.logFile);
}

QByteArray PageWriter::ExpandGlobalTags(const QByteArray &text, const PageRequest &page)
{
    IndexPlace index;
    return expandGlobalTags(text, page, index);
}

QByteArray PageWriter::expandGlobalTags(const QByteArray &text, const PageRequest &page, IndexPlace &index)
{
    QByteArray t = text;
    qsizetype replacedAt = -1, replacedSize = 0;
    auto replaceFirst = [&](const QByteArray &pattern, const std::function<QByteArray(const QByteArray &)> &value) {
        const qsizetype at = PageText::findIgnoringCase(t, pattern);
        if (at < 0)
            return;
        const qsizetype gt = t.indexOf('>', at);
        if (gt < 0)
            return;
        const QByteArray token = t.mid(at, gt + 1 - at);
        const QByteArray replacement = value(token);
        t.replace(at, token.size(), replacement);
        replacedAt = at;
        replacedSize = replacement.size();
    };
    // The clock is read only for a page that shows the time of its making.
    std::optional<QDateTime> moment;
    auto now = [&]() -> const QDateTime & {
        if (!moment)
            moment = m_ctx.clock.now();
        return *moment;
    };
    replaceFirst("<$WrenArchivePrev>", [&](const QByteArray &) { return archivePrev(page); });
    replaceFirst("<$WrenArchiveNext>", [&](const QByteArray &) { return archiveNext(page); });
    replaceFirst("<$WrenCookie>", [&](const QByteArray &) {
        return ByteText::encode(PickCookie(m_ctx.db, m_ctx.settings, m_ctx.options.randomCookies));
    });
    replaceFirst("<$WrenSysDate>", [&](const QByteArray &) {
        return ByteText::encode(FormatDate(m_ctx.journal.dtFormat, now().date(), m_ctx.names));
    });
    replaceFirst("<$WrenSysTime>", [&](const QByteArray &) {
        return ByteText::encode(FormatDate(m_ctx.journal.tmFormat, timeOnlyDay(), now().time(), m_ctx.names));
    });
    replaceFirst("<$WrenSysUTC=", [&](const QByteArray &token) {
        return ByteText::encode(
            FormatDate(ByteText::decode(*PageText::tagPicture(token, "<$WrenSysUTC=")), now().toUTC(), m_ctx.names));
    });
    replacedAt = -1;
    QByteArray indexToken;
    replaceFirst("<$WrenArchive", [&](const QByteArray &token) {
        indexToken = token;
        return BuildArchiveIndex(m_ctx, ByteText::encode(page.upload.arcExt), token);
    });
    index.at = replacedAt; // the archive index is the last tag replaced
    index.size = replacedSize;
    index.holdsBlockMarker =
        replacedAt < 0 || ArchiveIndexHoldsBlockMarker(m_ctx, ByteText::encode(page.upload.arcExt), indexToken);
    return t;
}

namespace {

// The first "<Wren>" or "</Wren>" (any letter case) in a page, searched
// around the archive index table when the page has one that holds neither:
// the table starts with "<table" and ends with ">", so no marker can begin
// before it and end inside, or begin inside and end after it.
qsizetype findBlockMarker(const QByteArray &t, QByteArrayView marker, qsizetype indexAt, qsizetype indexSize,
                          bool indexHoldsMarker)
{
    if (indexAt < 0 || indexSize == 0 || indexHoldsMarker)
        return PageText::findIgnoringCase(t, marker);
    const QByteArray head = QByteArray::fromRawData(t.constData(), indexAt);
    const qsizetype inHead = PageText::findIgnoringCase(head, marker);
    return inHead >= 0 ? inHead : PageText::findIgnoringCase(t, marker, indexAt + indexSize);
}

} // namespace

bool PageWriter::WritePage(const QByteArray &templateText, const PageRequest &page, QIODevice &out)
{
    IndexPlace index;
    const QByteArray t = expandGlobalTags(templateText, page, index);
    const qsizetype b = findBlockMarker(t, "<Wren>", index.at, index.size, index.holdsBlockMarker);
    const qsizetype e = findBlockMarker(t, "</Wren>", index.at, index.size, index.holdsBlockMarker);
    if (b < 0 || e < b + 6) {
        out.write(t);
        return false;
    }
    out.write(t.constData(), b);
    const QByteArray block = t.mid(b + 6, e - (b + 6));

    const JournalSettings &j = m_ctx.journal;
    auto &statement = m_ctx.reused.pageEntries;
    if (!statement)
        statement = std::make_shared<RowReader>(m_ctx.db, Statements::pageEntriesOfAnyRange(j.id, j.reverse));
    RowReader &rows = *statement;
    rows.bind(QStringLiteral(":First"), Statements::dateValue(page.firstDay));
    rows.bind(QStringLiteral(":Last"), Statements::dateValue(page.lastDay));
    // Rewound whatever happens, so that no read stays open between pages.
    const auto rewind = qScopeGuard([&rows] { rows.rewind(); });
    const int fId = rows.column(QStringLiteral("ID")), fDate = rows.column(QStringLiteral("eDate")),
              fTime = rows.column(QStringLiteral("eTime")), fEntry = rows.column(QStringLiteral("Entry")),
              fAuthor = rows.column(QStringLiteral("Author")), fTitle = rows.column(QStringLiteral("Title"));
    BlockWriter writer(m_ctx, page, block, out);
    while (rows.next()) {
        EntryRow row;
        row.id = rows.bytes(fId);
        const QByteArray storedDay = rows.bytes(fDate), storedTime = rows.bytes(fTime);
        row.day = StoredValue::day(storedDay);
        row.time = StoredValue::time(storedTime);
        if (!row.day.isValid() || !row.time.isValid()) {
            // A row stored before dates were checked: the page goes on without it.
            if (m_ctx.transfer.firstReport(QStringLiteral("impossible-day-") + QString::fromLatin1(row.id)))
                m_ctx.transfer.logFailure(QStringLiteral("Entry %1 has the impossible %2 %3; left out")
                                              .arg(QString::fromLatin1(row.id),
                                                   row.day.isValid() ? QStringLiteral("time") : QStringLiteral("date"),
                                                   ByteText::decode(row.day.isValid() ? storedTime : storedDay)));
            continue;
        }
        row.author = rows.bytes(fAuthor);
        row.title = rows.bytes(fTitle);
        row.entry = rows.bytes(fEntry);
        writer.write(row);
    }
    out.write(t.constData() + e + 7, t.size() - (e + 7));
    return true;
}
