#pragma once

#include "publish/PublishContext.h"

#include <QDate>

#include <optional>
#include <map>
#include <vector>
#include <utility>

// The publish and archive commands: building pages from templates into the
// staging directory and sending them to each upload's site, with one log line
// per step. A failed step is logged and the run goes on; engine errors and
// unreadable template files throw WrenError and end the command.
class PublishRun {
public:
    explicit PublishRun(PublishContext &context) : m_ctx(context) {}

    // Publish Entries: the current page of every active upload of the journal,
    // showing the last Days days of entries (calendar days back from the
    // latest entry, or the latest days with posts).
    void PublishEntry();

    // One page per active upload of the journal (or only upload uploadId in
    // archive mode) for the entries from first to last day.
    void BuildPages(bool archiveMode, const QDate &firstDay, const QDate &lastDay, int uploadId);

    // The days of the journal's earliest and latest entries, which the Create
    // Archives dialog starts from; nothing for a journal without entries.
    std::optional<std::pair<QDate, QDate>> archiveRange() const;

    // Publish Archives after the dialog closed with OK on these days: the
    // archive pages of every upload of the journal for the periods from the one
    // holding from to the one holding to, then each archive index.
    void PublishArchive(const QDate &from, const QDate &to);

    // The archive pages of one upload for the periods of start..end that have
    // entries, then its archive index file.
    void BuildArchives(int uploadId, const QDate &start, const QDate &end);

    // The text shown when the journal has no entries to archive.
    static QString noDateRangeMessage() { return QStringLiteral("Error getting date range of entries!"); }

private:
    void log(const QString &line) const;
    // Logs once each entry whose stored day or time no calendar has; pages leave them out.
    void reportImpossibleDays();
    // A plain file name: not empty, no directory part, not "." or "..", no
    // control character (which could forge a log line).
    bool checkPageName(const QString &name, int uploadId);
    // Publish Entries with archive pages kept current: every period's page
    // is made, those the site holds already are counted and left alone, and
    // pages of periods that lost all their entries are made again.
    void keepArchivesCurrent(int uploadId);
    // BuildArchives; start and end may be invalid for the journal's whole range.
    void buildArchives(int uploadId, const QDate &start, const QDate &end, bool keepCurrent);
    // The periods whose archive page is on the site but that hold no entries now.
    std::vector<std::pair<QDate, QDate>> emptiedPeriods(const UploadRow &upload,
                                                        const std::vector<std::pair<QDate, QDate>> &withEntries) const;
    void writeArchiveIndexFile(const UploadRow &upload);
    // Writes a built page to a local site, or to the staging directory and
    // then an FTP site.
    void sendPage(const UploadRow &upload, const QString &pageName, const QByteArray &bytes, bool sendPending);
    // The archive periods from s to e that hold entries of the journal.
    std::vector<std::pair<QDate, QDate>> periodsWithEntries(const QDate &s, const QDate &e) const;
    // How many files an archive run of one upload over start..end sends: its
    // pages and the archive index. Invalid days stand for the whole range.
    int archiveFilesFor(const QDate &start, const QDate &end) const;
    // Tells the transfer how many files Publish Entries is about to send.
    void planEntryFiles();

    PublishContext &m_ctx;
    // While BuildArchives runs: the upload rows its pages are built for, read
    // once instead of once per page.
    std::map<int, std::vector<UploadRow>> m_archiveUploads;
    // The archive periods with entries, by the range asked for.
    mutable std::map<std::pair<QDate, QDate>, std::vector<std::pair<QDate, QDate>>> m_periods;
    qsizetype m_pageSize = 0; // room made for the next page
    bool m_keepingCurrent = false;
    // In an archive run (Publish Archives), and whether the upload being
    // archived is its last, whose completion line closes the run.
    bool m_archiveRun = false;
    bool m_lastArchiveUpload = false;
    int m_unchangedPages = 0;
};
