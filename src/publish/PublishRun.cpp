#include "PublishRun.h"

#include "data/Statements.h"
#include "base/ByteText.h"
#include "base/WrenError.h"
#include "engine/Database.h"
#include "engine/RowReader.h"
#include "publish/ArchiveIndex.h"
#include "publish/ArchivePeriod.h"
#include "publish/FormatDate.h"
#include "publish/PageText.h"
#include "publish/PageWriter.h"
#include "transfer/SiteTransfer.h"

#include <QDir>
#include <QLocale>
#include <QFile>
#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>
#include <vector>

namespace {

std::vector<UploadRow> uploadsOf(const Database &db, const QString &statement)
{
    std::vector<UploadRow> rows;
    RowReader query(db, statement); // names and folders as stored
    while (query.next())
        rows.push_back(UploadRow::fromRecord(query.record()));
    return rows;
}

} // namespace

void PublishRun::log(const QString &line) const
{
    m_ctx.transfer.log(line);
}

bool PublishRun::checkPageName(const QString &name, int uploadId)
{
    if (SiteTransfer::holdsControl(name)) {
        m_ctx.transfer.logFailure(SiteTransfer::invalidPageName(name, uploadId));
        return false;
    }
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        m_ctx.transfer.logFailure(
            QStringLiteral("Invalid page name \"%1\": a page name must be a plain file name").arg(name));
        return false;
    }
    return true;
}

void PublishRun::reportImpossibleDays()
{
    RowReader rows(m_ctx.db, Statements::impossibleEntryDays(m_ctx.journal.id));
    while (rows.next()) {
        const QString id = rows.text(0), day = rows.text(1), time = rows.text(2);
        if (!m_ctx.transfer.firstReport(QStringLiteral("impossible-day-") + id))
            continue;
        const bool dayIsReal = PageWriter::storedDay(day).isValid();
        m_ctx.transfer.logFailure(
            QStringLiteral("Entry %1 has the impossible %2 %3; left out")
                .arg(id, dayIsReal ? QStringLiteral("time") : QStringLiteral("date"), dayIsReal ? time : day));
    }
}

void PublishRun::PublishEntry()
{
    log(QStringLiteral("Started Publish Process ..."));
    reportImpossibleDays();
    const int j = m_ctx.journal.id;
    const auto latest = m_ctx.db.firstRow(Statements::latestEntryDay(j));
    if (!latest) {
        log(QStringLiteral("No entries to publish!"));
        return;
    }
    QDate lastDay = PageWriter::storedDay(latest->value(0));
    QDate firstDay;
    // Days no calendar has (stored before dates were checked) count for nothing.
    QSqlQuery days = m_ctx.db.run(Statements::entryDaysNewestFirst(j));
    int counted = 0;
    while ((!lastDay.isValid() || !m_ctx.options.historyDays) && days.next()) {
        const QDate day = PageWriter::storedDay(days.value(0));
        if (!day.isValid())
            continue;
        if (!lastDay.isValid())
            lastDay = day;
        if (m_ctx.options.historyDays)
            break;
        firstDay = day;
        if (++counted == m_ctx.options.days)
            break;
    }
    if (!lastDay.isValid()) {
        log(QStringLiteral("No entries to publish!"));
        return;
    }
    if (m_ctx.options.historyDays)
        firstDay = lastDay.addDays(-(m_ctx.options.days - 1));
    planEntryFiles();
    BuildPages(false, firstDay, lastDay, 0);
    m_ctx.pending.clear();
    m_ctx.transfer.EndSession(true);
    m_ctx.transfer.logFilesNotReached();
    log(QStringLiteral("Completed Publish Process ..."));
}

void PublishRun::planEntryFiles()
{
    const QString &type = m_ctx.journal.arcType;
    for (const UploadRow &upload : uploadsOf(m_ctx.db, Statements::activeUploads(m_ctx.journal.id))) {
        int files = 1 + static_cast<int>(m_ctx.pending.files.size() + m_ctx.pending.images.size());
        if (upload.autoArc && m_ctx.options.keepArchivesCurrent) {
            files += archiveFilesFor(QDate(), QDate());
        } else if (upload.autoArc) {
            const QDate today = m_ctx.clock.today();
            const QDate since =
                upload.lastArc.isValid() ? upload.lastArc : PageWriter(m_ctx).FirstEntryDay().value_or(today);
            files += archiveFilesFor(ArchivePeriod::PeriodStart(since, type), ArchivePeriod::PeriodEnd(today, type));
        }
        m_ctx.transfer.planFiles(upload, files);
    }
}

void PublishRun::BuildPages(bool archiveMode, const QDate &firstDay, const QDate &lastDay, int uploadId)
{
    const int j = m_ctx.journal.id;
    std::vector<UploadRow> uploads;
    if (!archiveMode)
        uploads = uploadsOf(m_ctx.db, Statements::activeUploads(j));
    else if (const auto read = m_archiveUploads.find(uploadId); read != m_archiveUploads.end())
        uploads = read->second;
    else
        uploads = uploadsOf(m_ctx.db, Statements::activeUploads(j, uploadId));
    PageWriter pages(m_ctx);
    for (const UploadRow &upload : uploads) {
        if (m_ctx.transfer.stopRequested())
            return;
        if (!archiveMode && upload.autoArc) {
            const QDate today = m_ctx.clock.today();
            // An upload never archived before starts at the journal's first entry.
            const QDate since = upload.lastArc.isValid() ? upload.lastArc : pages.FirstEntryDay().value_or(today);
            const int failuresBefore = m_ctx.transfer.failures();
            if (m_ctx.options.keepArchivesCurrent)
                keepArchivesCurrent(upload.id);
            else
                BuildArchives(upload.id, ArchivePeriod::PeriodStart(since, m_ctx.journal.arcType),
                              ArchivePeriod::PeriodEnd(today, m_ctx.journal.arcType));
            // Archive pages that did not reach the site go again at the next
            // publish: moving the day on would leave them out for good.
            if (m_ctx.transfer.failures() == failuresBefore && !m_ctx.transfer.stopRequested())
                m_ctx.db.run(Statements::setLastArchived(today, upload.id));
            else
                log(QStringLiteral("Archive pages of upload %1 did not all reach the site; the next publish builds "
                                   "them again from %2")
                        .arg(upload.id)
                        .arg(since.toString(Qt::ISODate)));
        }

        // Stopped while the archives went: the page is not begun, and says nothing.
        if (m_ctx.transfer.stopRequested())
            return;
        PageRequest page{upload, firstDay, lastDay, archiveMode};
        const QString pageName = pages.pageName(page);
        if (!checkPageName(pageName, upload.id))
            continue;
        const std::optional<QByteArray> text = pages.LoadTemplate(upload.templateId);
        if (!text) {
            m_ctx.transfer.logFailure(QStringLiteral("Template %1 of upload %2 does not exist; %3 not built")
                                          .arg(upload.templateId)
                                          .arg(upload.id)
                                          .arg(pageName));
            continue;
        }
        QByteArray bytes;
        bytes.reserve(m_pageSize); // most pages are near the size of the one before
        if (!pages.WritePage(*text, page, bytes))
            log(QStringLiteral("Template %1 has no <Wren> ... </Wren> block: %2 shows no entries")
                    .arg(upload.templateId)
                    .arg(pageName));
        m_pageSize = bytes.size() + bytes.size() / 4;
        if (m_keepingCurrent && m_ctx.transfer.siteHolds(upload, pageName, bytes)) {
            ++m_unchangedPages;
            continue;
        }
        sendPage(upload, pageName, bytes, !archiveMode);
    }
}

void PublishRun::sendPage(const UploadRow &upload, const QString &pageName, const QByteArray &bytes, bool sendPending)
{
    // A local site gets the page straight into its folder, and so does an
    // FTP site whose connections send from memory; another FTP site sends it
    // from the staging directory.
    if (!upload.siteActive || m_ctx.transfer.sendsPagesFromMemory()) {
        m_ctx.transfer.SendUpload(upload, pageName, sendPending, m_ctx.pending, &bytes);
        return;
    }
    QFile file(QDir(m_ctx.stagingDir).filePath(pageName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_ctx.transfer.logFailure(QStringLiteral("Cannot create %1: %2").arg(file.fileName(), file.errorString()));
        return;
    }
    file.write(bytes);
    file.close();
    if (file.error() != QFileDevice::NoError) {
        m_ctx.transfer.logFailure(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
        return;
    }
    m_ctx.transfer.SendUpload(upload, pageName, sendPending, m_ctx.pending, &bytes);
}

std::optional<std::pair<QDate, QDate>> PublishRun::archiveRange() const
{
    PageWriter pages(m_ctx);
    const std::optional<QDate> first = pages.FirstEntryDay();
    if (!first)
        return std::nullopt;
    const std::optional<QDate> last = pages.LastEntryDay();
    if (!last)
        return std::nullopt;
    return std::make_pair(*first, *last);
}

void PublishRun::PublishArchive(const QDate &from, const QDate &to)
{
    reportImpossibleDays();
    const QString &type = m_ctx.journal.arcType;
    const QDate start = ArchivePeriod::PeriodStart(from, type);
    const QDate end = ArchivePeriod::PeriodEnd(to, type);
    std::vector<int> ids;
    QSqlQuery uploads = m_ctx.db.run(Statements::uploadIds(m_ctx.journal.id));
    while (uploads.next())
        ids.push_back(uploads.value(0).toInt());
    uploads.finish();
    for (int id : ids) {
        for (const UploadRow &upload : uploadsOf(m_ctx.db, Statements::activeUpload(id, m_ctx.journal.id)))
            m_ctx.transfer.planFiles(upload, archiveFilesFor(start, end));
    }
    m_archiveRun = true;
    for (int id : ids) {
        if (m_ctx.transfer.stopRequested())
            break;
        m_lastArchiveUpload = id == ids.back();
        BuildArchives(id, start, end);
    }
    m_archiveRun = false;
    m_ctx.transfer.logFilesNotReached(); // stopped between two uploads: after their lines
    m_ctx.transfer.EndSession(true);
}

void PublishRun::BuildArchives(int uploadId, const QDate &start, const QDate &end)
{
    buildArchives(uploadId, start, end, false);
}

void PublishRun::keepArchivesCurrent(int uploadId)
{
    // The whole range: every period narrows it to those that hold entries.
    buildArchives(uploadId, QDate(), QDate(), true);
}

void PublishRun::buildArchives(int uploadId, const QDate &start, const QDate &end, bool keepCurrent)
{
    const int j = m_ctx.journal.id;
    const QString &type = m_ctx.journal.arcType;
    PageWriter pages(m_ctx);
    const std::optional<QDate> earliest = pages.FirstEntryDay();
    if (!earliest) {
        log(QStringLiteral("No records to archive!"));
        return;
    }
    const QDate latest = pages.LastEntryDay().value_or(*earliest);
    const QDate first = ArchivePeriod::PeriodStart(*earliest, type);
    const QDate last = ArchivePeriod::PeriodEnd(latest, type);
    const QDate s = !start.isValid() || start < first ? first : start;
    const QDate e = !end.isValid() || end > last ? last : end;
    log(QStringLiteral("Started Archival Process ..."));
    pages.ConvertAhead(s, e);

    m_archiveUploads.clear();
    m_archiveUploads.emplace(uploadId, uploadsOf(m_ctx.db, Statements::activeUploads(j, uploadId)));
    const auto forget = qScopeGuard([this] { m_archiveUploads.clear(); });
    for (UploadRow upload : uploadsOf(m_ctx.db, Statements::activeUpload(uploadId, j))) {
        upload.id = uploadId;
        std::vector<std::pair<QDate, QDate>> periods = periodsWithEntries(s, e);
        if (keepCurrent) {
            const std::vector<std::pair<QDate, QDate>> emptied = emptiedPeriods(upload, periods);
            periods.insert(periods.end(), emptied.begin(), emptied.end());
            std::sort(periods.begin(), periods.end());
        }
        // Keeping the pages current, a page the site holds already is
        // counted instead of sent, and the count is one line.
        m_keepingCurrent = keepCurrent;
        m_unchangedPages = 0;
        const auto quiet = qScopeGuard([this] { m_keepingCurrent = false; });
        for (const auto &[p, q] : periods) {
            if (m_ctx.transfer.stopRequested())
                break;
            BuildPages(true, p, q, uploadId);
        }
        m_keepingCurrent = false;
        if (m_unchangedPages > 0)
            log(QStringLiteral("%1 archive %2 unchanged")
                    .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(m_unchangedPages),
                         m_unchangedPages == 1 ? QStringLiteral("page") : QStringLiteral("pages")));
        writeArchiveIndexFile(upload);
    }
    // The run's own closing line comes last: what did not reach the site before it.
    if (m_archiveRun && (m_lastArchiveUpload || m_ctx.transfer.stopRequested()))
        m_ctx.transfer.logFilesNotReached();
    log(QStringLiteral("Archival Process Completed!"));
}

std::vector<std::pair<QDate, QDate>> PublishRun::periodsWithEntries(const QDate &s, const QDate &e) const
{
    // Counting the files to send and sending them walk the same range.
    const auto known = m_periods.find({s, e});
    if (known != m_periods.end())
        return known->second;
    std::vector<std::pair<QDate, QDate>> all;
    const bool weekly = ArchivePeriod::isWeekly(m_ctx.journal.arcType);
    QDate p = s;
    QDate q = p.addDays(weekly ? 6 : p.daysInMonth() - 1);
    do {
        all.emplace_back(p, q);
        p = q.addDays(1);
        q = p.addDays(weekly ? 6 : p.daysInMonth() - 1);
    } while (p <= e);
    // The days that hold entries, read once and compared as stored text, as
    // a count per period would compare them: a period holds entries when a
    // stored day lies between its first and last day.
    std::vector<QByteArray> days;
    RowReader stored(m_ctx.db, Statements::archiveDays(m_ctx.journal.id, all.front().first, all.back().second, false));
    while (stored.next())
        days.push_back(stored.bytes(0));
    auto text = [](const QDate &day) { return Statements::dateValue(day).toLatin1(); };
    std::vector<std::pair<QDate, QDate>> periods;
    size_t next = 0;
    for (const auto &[first, last] : all) {
        const QByteArray from = text(first), to = text(last);
        while (next < days.size() && days[next] < from)
            ++next;
        if (next < days.size() && days[next] <= to)
            periods.emplace_back(first, last);
    }
    m_periods.emplace(std::make_pair(s, e), periods);
    return periods;
}

std::vector<std::pair<QDate, QDate>>
PublishRun::emptiedPeriods(const UploadRow &upload, const std::vector<std::pair<QDate, QDate>> &withEntries) const
{
    // An archive page whose period lost its entries (deleted, purged) still
    // shows them on the site: it is made again, without them. Pages named for
    // a day that starts no period of the journal's archive type (left from
    // another type) are not ours to judge and stay.
    const QString &type = m_ctx.journal.arcType;
    const QString prefix = QStringLiteral("arc"), suffix = u'.' + upload.arcExt;
    std::vector<std::pair<QDate, QDate>> emptied;
    for (const QString &name : m_ctx.transfer.namesOnSite(upload)) {
        if (name.size() != prefix.size() + 8 + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        const QDate start = QDate::fromString(name.mid(prefix.size(), 8), QStringLiteral("yyyyMMdd"));
        if (!start.isValid() || ArchivePeriod::PeriodStart(start, type) != start)
            continue;
        // The periods with entries are in order of their first day.
        const auto at = std::lower_bound(withEntries.begin(), withEntries.end(), start,
                                         [](const auto &period, const QDate &day) { return period.first < day; });
        if (at == withEntries.end() || at->first != start)
            emptied.emplace_back(start, ArchivePeriod::PeriodEnd(start, type));
    }
    return emptied;
}

int PublishRun::archiveFilesFor(const QDate &start, const QDate &end) const
{
    PageWriter pages(m_ctx);
    const std::optional<QDate> earliest = pages.FirstEntryDay();
    if (!earliest)
        return 0;
    const QString &type = m_ctx.journal.arcType;
    const QDate first = ArchivePeriod::PeriodStart(*earliest, type);
    const QDate last = ArchivePeriod::PeriodEnd(pages.LastEntryDay().value_or(*earliest), type);
    const QDate s = !start.isValid() || start < first ? first : start;
    const QDate e = !end.isValid() || end > last ? last : end;
    return static_cast<int>(periodsWithEntries(s, e).size()) + 1;
}

void PublishRun::writeArchiveIndexFile(const UploadRow &upload)
{
    if (m_ctx.transfer.stopRequested() || !checkPageName(upload.arcFile, upload.id))
        return;
    PageWriter pages(m_ctx);
    const std::optional<QByteArray> text = pages.LoadTemplate(upload.arcTemplateId);
    if (!text) {
        m_ctx.transfer.logFailure(QStringLiteral("Template %1 of upload %2 does not exist; %3 not built")
                                      .arg(upload.arcTemplateId)
                                      .arg(upload.id)
                                      .arg(upload.arcFile));
        return;
    }
    QByteArray bytes;
    const QByteArray &t = *text;
    const qsizetype b = PageText::findIgnoringCase(t, "<Wren>");
    const qsizetype e = PageText::findIgnoringCase(t, "</Wren>");
    if (b < 0 || e < b + 6) {
        bytes.append(t);
        log(QStringLiteral("Template %1 has no <Wren> ... </Wren> block: %2 shows no archive index")
                .arg(upload.arcTemplateId)
                .arg(upload.arcFile));
    } else {
        bytes.append(t.constData(), b);
        const QByteArray rest = t.mid(b + 6, e - (b + 6));
        qsizetype r = 0;
        while (r < rest.size()) {
            const qsizetype p = PageText::findIgnoringCase(rest, "<$Wren", r);
            const qsizetype gt = p == r ? rest.indexOf('>', r) : -1;
            if (p == r && gt >= 0) {
                const QByteArray token = rest.mid(r, gt + 1 - r);
                r = gt + 1;
                if (PageText::findIgnoringCase(token, "<$WrenArchive") >= 0)
                    bytes.append(BuildArchiveIndex(m_ctx, ByteText::encode(upload.arcExt), token));
            } else if (p > r) {
                bytes.append(rest.constData() + r, p - r);
                r = p;
            } else {
                bytes.append(rest.constData() + r, rest.size() - r);
                r = rest.size();
            }
        }
        bytes.append(t.constData() + e + 7, t.size() - (e + 7));
    }
    sendPage(upload, upload.arcFile, bytes, false);
}
