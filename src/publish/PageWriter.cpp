#include "PageWriter.h"

#include "data/Statements.h"
#include "data/StoredValue.h"
#include "base/WrenError.h"
#include "base/ByteText.h"
#include "engine/Database.h"
#include "engine/RowReader.h"
#include "publish/ArchiveIndex.h"
#include "publish/ArchivePeriod.h"
#include "publish/BlockProgram.h"
#include "publish/BlockWriter.h"
#include "publish/Cookies.h"
#include "publish/FormatDate.h"
#include "publish/MarkdownAhead.h"
#include "publish/PageText.h"
#include "transfer/SiteTransfer.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>

#include <vector>

namespace {

const QString kStoredDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

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

void PageWriter::ConvertAhead(const QDate &first, const QDate &last)
{
    auto &ahead = m_ctx.reused.markdownAhead;
    if (BlockWriter::entryFormat(m_ctx) != EntryFormat::Markdown || (ahead && ahead->covers(first, last)))
        return;
    ahead.reset(); // its thread ends before the next one starts
    const QString cache = QFileInfo(m_ctx.settings.path()).absoluteDir().filePath(QStringLiteral("Markdown.cache"));
    ahead = std::make_shared<MarkdownAhead>(first, last, cache);
    // The entries the cache lacks are counted first (the IDs come from the
    // index alone); when there are many, their texts are read and converted
    // on a second thread, else each is converted when its page needs it.
    constexpr int kManyNew = 64;
    int fresh = 0;
    RowReader ids(m_ctx.db, Statements::entryIdsOfRange(first, last, m_ctx.journal.id));
    while (fresh < kManyNew && ids.next())
        fresh += ahead->cached(ids.borrowedBytes(0)) ? 0 : 1;
    // Texts beyond this much are converted as their pages are written.
    constexpr qsizetype kMostBytes = qsizetype{64} * 1024 * 1024;
    qsizetype copied = 0;
    if (fresh >= kManyNew) {
        RowReader rows(m_ctx.db, Statements::entryTextsOfRange(first, last, m_ctx.journal.id));
        while (copied < kMostBytes && rows.next())
            copied += ahead->add(rows.borrowedBytes(0), rows.borrowedBytes(1));
    }
    ahead->start();
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

const std::vector<QDate> &PageWriter::entryDays() const
{
    auto &days = m_ctx.reused.entryDays;
    if (!days) {
        days.emplace();
        RowReader rows(m_ctx.db, Statements::entryDaysNewestFirst(m_ctx.journal.id));
        while (rows.next()) {
            // Days no calendar has hold no page.
            if (const QDate day = StoredValue::day(rows.bytes(0)); day.isValid())
                days->push_back(day);
        }
        std::reverse(days->begin(), days->end());
    }
    return *days;
}

// The previous and next links name the nearest period on either side of the
// page that holds entries, and so has an archive page; a page with nothing
// before or after it links the current page.
QByteArray PageWriter::archivePrev(const PageRequest &page)
{
    const std::vector<QDate> &days = entryDays();
    const auto after = std::lower_bound(days.begin(), days.end(), page.firstDay);
    if (after == days.begin())
        return ByteText::encode(page.upload.logFile);
    return ByteText::encode(ArchivePeriod::ArchiveName(*std::prev(after), m_ctx.journal.arcType) + u'.' +
                            page.upload.arcExt);
}

QByteArray PageWriter::archiveNext(const PageRequest &page)
{
    const std::vector<QDate> &days = entryDays();
    const auto later = std::upper_bound(days.begin(), days.end(), page.lastDay);
    if (later == days.end())
        return ByteText::encode(page.upload.logFile);
    return ByteText::encode(ArchivePeriod::ArchiveName(*later, m_ctx.journal.arcType) + u'.' + page.upload.arcExt);
}

QString PageWriter::pageName(const PageRequest &page) const
{
    return page.archiveMode
               ? QStringLiteral("arc") + FormatDate(QStringLiteral("yyyymmdd"), page.firstDay, m_ctx.names) + u'.' +
                     page.upload.arcExt
               : page.upload.logFile;
}

QDateTime PageWriter::latestMoment(const PageRequest &page) const
{
    // The newest entry of the page, else of the journal (a page without
    // entries), else the time of the run.
    for (const auto &range :
         {std::optional(std::make_pair(page.firstDay, page.lastDay)), std::optional<std::pair<QDate, QDate>>()}) {
        RowReader rows(m_ctx.db, Statements::entryMomentsNewestFirst(m_ctx.journal.id, range));
        while (rows.next()) {
            const QDate day = StoredValue::day(rows.bytes(0));
            const QTime time = StoredValue::time(rows.bytes(1));
            if (day.isValid() && time.isValid())
                return QDateTime(day, time);
        }
    }
    return m_ctx.clock.now();
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
    replaceFirst("<$WrenLatestUTC=", [&](const QByteArray &token) {
        return ByteText::encode(FormatDate(ByteText::decode(*PageText::tagPicture(token, "<$WrenLatestUTC=")),
                                           latestMoment(page).toUTC(), m_ctx.names));
    });
    // The page's own name stands wherever the tag does: a feed gives it as
    // its address and as its identity.
    const QByteArray ownName = ByteText::encode(pageName(page));
    for (qsizetype at = PageText::findIgnoringCase(t, "<$WrenPage>"); at >= 0;
         at = PageText::findIgnoringCase(t, "<$WrenPage>", at + ownName.size()))
        t.replace(at, 11, ownName);
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

bool PageWriter::WritePage(const QByteArray &templateText, const PageRequest &page, QByteArray &out)
{
    IndexPlace index;
    const QByteArray t = expandGlobalTags(templateText, page, index);
    const qsizetype b = findBlockMarker(t, "<Wren>", index.at, index.size, index.holdsBlockMarker);
    const qsizetype e = findBlockMarker(t, "</Wren>", index.at, index.size, index.holdsBlockMarker);
    if (b < 0 || e < b + 6) {
        out += t;
        return false;
    }
    out.append(t.constData(), b);
    // Most pages of a command have the same block: it is read into its steps once.
    const QByteArrayView block = QByteArrayView(t).sliced(b + 6, e - (b + 6));
    auto &program = m_ctx.reused.block;
    if (!program || program->block != block)
        program = std::make_shared<const BlockProgram>(block.toByteArray());

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
    BlockWriter writer(m_ctx, page, *program, out);
    while (rows.next()) {
        // The row's texts are read where the engine holds them: they are
        // written into the page before the next row is read, and not kept.
        EntryRow row;
        row.id = rows.borrowedBytes(fId);
        const QByteArray storedDay = rows.borrowedBytes(fDate), storedTime = rows.borrowedBytes(fTime);
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
        row.author = rows.borrowedBytes(fAuthor);
        row.title = rows.borrowedBytes(fTitle);
        row.entry = rows.borrowedBytes(fEntry);
        writer.write(row);
    }
    out.append(t.constData() + e + 7, t.size() - (e + 7));
    return true;
}
