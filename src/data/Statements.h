#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <utility>

// Every statement the program runs against the journal
// database. Each function returns exactly the text that is run: fixed text with
// values appended, integers as decimal digits, days as quoted 'yyyy-mm-dd'
// literals, search text quoted with its quotes doubled. No other value is ever
// joined into statement text.
namespace Statements {

// '2001-11-29': the year as four digits, month and day as two, zero-padded.
QString dateLiteral(const QDate &date);
// 'it''s': the text in single quotes with every single quote doubled.
QString quoted(const QString &text);

// The entry query of the main window, two lines with the named parameters
// :Jrnl (integer) and :fDate, :tDate (days).
QString entryQuery();
// The day of the journal's latest entry.
QString latestEntryDay(int journalId);
// The journal's distinct entry days, newest first.
QString entryDaysNewestFirst(int journalId);
// The journal's entries whose stored day or time no calendar has (ID, eDate, eTime).
QString impossibleEntryDays(int journalId);
// The journal's active uploads joined with their sites; with an upload ID
// only that upload (archive mode).
QString activeUploads(int journalId, std::optional<int> uploadId = std::nullopt);
// Records today as the upload's last automatic archiving.
QString setLastArchived(const QDate &today, int uploadId);
// The journal's entries of a range in page order.
QString pageEntries(const QDate &firstDay, const QDate &lastDay, int journalId, bool reverse);
// The same statement with the range's days as the parameters :First and
// :Last, bound as dateValue texts: prepared once, it serves every page of a
// command. A bound text compares exactly as the quoted literal does.
QString pageEntriesOfAnyRange(int journalId, bool reverse);
// The day and time of the journal's entries, newest first; with a range only
// those of its days.
QString entryMomentsNewestFirst(int journalId, std::optional<std::pair<QDate, QDate>> range = std::nullopt);
// The ID and text of the journal's entries of a range, oldest first: the
// Markdown entries an archive run converts ahead of its pages.
QString entryTextsOfRange(const QDate &firstDay, const QDate &lastDay, int journalId);
// The same entries' IDs alone.
QString entryIdsOfRange(const QDate &firstDay, const QDate &lastDay, int journalId);
// How many entries the journal holds, as Num.
QString entryCount(int journalId);
// A day as the text a statement compares, "yyyy-mm-dd" without quotes.
QString dateValue(const QDate &date);
// The days of the journal's earliest and latest entries.
QString earliestEntryDay(int journalId);
QString latestEntryDayForArchives(int journalId);
// The ID of every upload of the journal.
QString uploadIds(int journalId);
// One upload, when active, joined with its site.
QString activeUpload(int uploadId, int journalId);
// The distinct entry days of a range in archive index order.
QString archiveDays(int journalId, const QDate &firstDay, const QDate &lastDay, bool arcReverse);
// Purge: deletes all of the journal's entries, or those before a day, or
// those after a day.
QString purgeEntries(int journalId, std::optional<QDate> before = std::nullopt);
QString purgeEntriesAfter(int journalId, const QDate &after);
// Deleting a journal: first a journal's entries, then its uploads.
QString deleteJournalEntries(int journalId);
QString deleteJournalUploads(int journalId);
// The number of journals.
QString journalCount();
// The number of entries whose journal does not exist, and moving them into a journal.
QString entriesWithoutJournal();
QString adoptEntriesWithoutJournal(int journalId);
// The filter of the entry link dialog.
QString entriesOfDayFilter(int journalId, const QDate &day);
// Find, four lines. Without a search, the plain form that lists every entry; with one, the
// third line holds the journal (when given) and the LIKE on the entry text.
QString findEntries();
QString findEntries(std::optional<int> journalId, const QString &searchText, bool caseSensitive);
// The number of cookies, and every cookie in ID order.
QString cookieCount();
QString cookiesInOrder();

} // namespace Statements
