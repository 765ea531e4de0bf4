#pragma once

#include "publish/PublishContext.h"

#include <QByteArray>
#include <QVariant>

#include <optional>
#include <vector>

// Expands a page template for a range of entries and writes the page.
//
// A page template is cut at the first "<Wren>" and the first "</Wren>" (any
// letter case): the prefix is written once, the block once per entry, the
// suffix once. Page-wide tags are replaced first, once per page. Inside the
// block, entry tags take the entry's values and the day header
// "<WrenHeader>...</WrenHeader>" is written for the first entry of each day.
class PageWriter {
public:
    explicit PageWriter(PublishContext &context) : m_ctx(context) {}

    // The template text of the row with this ID, refreshed first from its file
    // when the file's modification time differs from the one stored. Nothing
    // when there is no such row. Read once a command: a later call gives the
    // same text.
    std::optional<QByteArray> LoadTemplate(int templateId);

    // Replaces the first occurrence of each page-wide tag, in this order:
    // "<$WrenArchivePrev>", "<$WrenArchiveNext>", "<$WrenCookie>",
    // "<$WrenSysDate>", "<$WrenSysTime>", "<$WrenSysUTC=...>",
    // "<$WrenLatestUTC=...>" and "<$WrenArchive...>"; and "<$WrenPage>",
    // the page's own name, wherever it stands.
    QByteArray ExpandGlobalTags(const QByteArray &text, const PageRequest &page);

    // Appends the page for the entries of the range to out, with the given
    // template text (from LoadTemplate). A template without "<Wren>" and
    // "</Wren>" in that order is written whole, with its page-wide tags
    // replaced and no entries; the return value is then false.
    bool WritePage(const QByteArray &templateText, const PageRequest &page, QByteArray &out);

    // The file name of the page: the upload's LogFile, or for an archive page
    // "arc", its first day as yyyymmdd, "." and the upload's ArcExt.
    QString pageName(const PageRequest &page) const;
    // Before the archive pages of a range: a Markdown journal's entries of the
    // range are read and converted on a second thread while the pages are
    // written. Nothing for an HTML journal, or a range already read.
    void ConvertAhead(const QDate &first, const QDate &last);

    // The day of the journal's earliest and latest entry, or nothing.
    std::optional<QDate> FirstEntryDay() const;
    std::optional<QDate> LastEntryDay() const;

    // A stored day "yyyy-mm-dd", or an invalid date when the value is none
    // that a calendar has.
    static QDate storedDay(const QVariant &value);

private:
    std::optional<QByteArray> readTemplate(int templateId);
    // Where ExpandGlobalTags put the archive index table, when it did.
    struct IndexPlace {
        qsizetype at = -1;
        qsizetype size = 0;
        bool holdsBlockMarker = true;
    };
    QByteArray expandGlobalTags(const QByteArray &text, const PageRequest &page, IndexPlace &index);
    std::optional<QDate> validEntryDay(const QString &statement, bool earliest) const;
    // The journal's days that hold entries, oldest first, read once a command.
    const std::vector<QDate> &entryDays() const;
    QByteArray archivePrev(const PageRequest &page);
    // The day and time of the page's newest entry, as a feed's time of change.
    QDateTime latestMoment(const PageRequest &page) const;
    QByteArray archiveNext(const PageRequest &page);

    PublishContext &m_ctx;
};
