#include "Statements.h"

namespace Statements {

namespace {
QString num(int value)
{
    return QString::number(value);
}
} // namespace

QString dateLiteral(const QDate &date)
{
    return QStringLiteral("'%1-%2-%3'")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString quoted(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1String("'"), QLatin1String("''"));
    return u'\'' + doubled + u'\'';
}

QString entryQuery()
{
    return QStringLiteral("SELECT * FROM Journal\nWHERE Name=:Jrnl AND eDate>=:fDate AND eDate<=:tDate");
}

QString latestEntryDay(int journalId)
{
    return QStringLiteral("SELECT MAX(eDate) AS eDate FROM Journal WHERE Name=") + num(journalId);
}

QString entryDaysNewestFirst(int journalId)
{
    return QStringLiteral("SELECT DISTINCT eDate FROM Journal WHERE Name=") + num(journalId) +
           QStringLiteral(" ORDER BY eDate DESC");
}

QString activeUploads(int journalId, std::optional<int> uploadId)
{
    QString text = QStringLiteral("SELECT s.FTP,s.Login,s.Password,s.Port,s.Active,d.Template,d.ArcTemplate,d.LogFile,"
                                  "d.ArcFile,d.Directory,d.ArcExt,d.AutoArc,d.LastArc,d.ID,d.ImageDir FROM Sites "
                                  "s,Upload d WHERE d.Active=True AND d.Site=s.ID AND d.Journal=") +
                   num(journalId);
    if (uploadId)
        text += QStringLiteral(" AND d.ID=") + num(*uploadId);
    return text;
}

QString setLastArchived(const QDate &today, int uploadId)
{
    return QStringLiteral("UPDATE Upload SET LastArc=") + dateLiteral(today) + QStringLiteral(" WHERE ID=") +
           num(uploadId);
}

namespace {
QString pageEntriesBetween(const QString &first, const QString &last, int journalId, bool reverse)
{
    return QStringLiteral("SELECT * FROM Journal WHERE eDate>=") + first + QStringLiteral(" AND eDate<=") + last +
           QStringLiteral("AND Name=") + num(journalId) +
           (reverse ? QStringLiteral(" ORDER BY eDate DESC, eTime DESC")
                    : QStringLiteral(" ORDER BY eDate ASC, eTime ASC"));
}
} // namespace

QString pageEntries(const QDate &firstDay, const QDate &lastDay, int journalId, bool reverse)
{
    return pageEntriesBetween(dateLiteral(firstDay), dateLiteral(lastDay), journalId, reverse);
}

QString pageEntriesOfAnyRange(int journalId, bool reverse)
{
    // A parameter name needs the space that a quoted literal goes without.
    return pageEntriesBetween(QStringLiteral(":First"), QStringLiteral(":Last "), journalId, reverse);
}

QString entryMomentsNewestFirst(int journalId, std::optional<std::pair<QDate, QDate>> range)
{
    QString text = QStringLiteral("SELECT eDate, eTime FROM Journal WHERE Name=") + num(journalId);
    if (range)
        text += QStringLiteral(" AND eDate>=") + dateLiteral(range->first) + QStringLiteral(" AND eDate<=") +
                dateLiteral(range->second);
    return text + QStringLiteral(" ORDER BY eDate DESC, eTime DESC");
}

QString entryTextsOfRange(const QDate &firstDay, const QDate &lastDay, int journalId)
{
    return QStringLiteral("SELECT ID, Entry FROM Journal WHERE eDate>=") + dateLiteral(firstDay) +
           QStringLiteral(" AND eDate<=") + dateLiteral(lastDay) + QStringLiteral(" AND Name=") + num(journalId) +
           QStringLiteral(" ORDER BY eDate ASC, eTime ASC");
}

QString entryIdsOfRange(const QDate &firstDay, const QDate &lastDay, int journalId)
{
    return QStringLiteral("SELECT ID FROM Journal WHERE eDate>=") + dateLiteral(firstDay) +
           QStringLiteral(" AND eDate<=") + dateLiteral(lastDay) + QStringLiteral(" AND Name=") + num(journalId);
}

QString entryCount(int journalId)
{
    return QStringLiteral("SELECT COUNT(*) AS Num FROM Journal WHERE Name=") + num(journalId);
}

QString dateValue(const QDate &date)
{
    return dateLiteral(date).mid(1, 10);
}

QString impossibleEntryDays(int journalId)
{
    // SQLite moves "2026-11-31" on to "2026-12-01" and gives no time for "25:61:00".
    return QStringLiteral("SELECT ID, eDate, eTime FROM Journal WHERE Name=") + num(journalId) +
           QStringLiteral(" AND (date(eDate) IS NOT eDate OR substr(eDate, 1, 4) = '0000' OR time(eTime) IS NOT eTime)"
                          " ORDER BY ID");
}

QString earliestEntryDay(int journalId)
{
    return QStringLiteral("SELECT MIN(eDate) As eDate from Journal Where Name=") + num(journalId);
}

QString latestEntryDayForArchives(int journalId)
{
    return QStringLiteral("SELECT MAX(eDate) As eDate from Journal Where Name=") + num(journalId);
}

QString uploadIds(int journalId)
{
    return QStringLiteral("SELECT ID from Upload WHERE Journal=") + num(journalId);
}

QString activeUpload(int uploadId, int journalId)
{
    return QStringLiteral("SELECT s.FTP,s.Login,s.Password,s.Port,s.Active,d.Template,d.ArcTemplate,d.LogFile,"
                          "d.ArcFile,d.Directory,d.ArcExt FROM Sites s,Upload d WHERE d.Active=True AND d.Site=s.ID "
                          "AND d.ID=") +
           num(uploadId) + QStringLiteral(" AND d.Journal=") + num(journalId);
}

QString archiveDays(int journalId, const QDate &firstDay, const QDate &lastDay, bool arcReverse)
{
    return QStringLiteral("SELECT DISTINCT eDate from Journal Where Name=") + num(journalId) +
           QStringLiteral(" AND eDate>=") + dateLiteral(firstDay) + QStringLiteral(" AND eDate<=") +
           dateLiteral(lastDay) +
           (arcReverse ? QStringLiteral(" ORDER By eDate DESC") : QStringLiteral(" ORDER By eDate ASC"));
}

QString purgeEntries(int journalId, std::optional<QDate> before)
{
    QString text = QStringLiteral("DELETE FROM Journal WHERE Name=") + num(journalId);
    if (before)
        text += QStringLiteral(" AND eDate<") + dateLiteral(*before);
    return text;
}

QString purgeEntriesAfter(int journalId, const QDate &after)
{
    return QStringLiteral("DELETE FROM Journal WHERE Name=") + num(journalId) + QStringLiteral(" AND eDate>") +
           dateLiteral(after);
}

QString deleteJournalEntries(int journalId)
{
    return QStringLiteral("DELETE from Journal where Name=") + num(journalId);
}

QString deleteJournalUploads(int journalId)
{
    return QStringLiteral("DELETE from Upload where Journal=") + num(journalId);
}

QString journalCount()
{
    return QStringLiteral("SELECT COUNT(*) FROM Names");
}

QString entriesWithoutJournal()
{
    return QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Name NOT IN (SELECT ID FROM Names)");
}

QString adoptEntriesWithoutJournal(int journalId)
{
    return QStringLiteral("UPDATE Journal SET Name=") + num(journalId) +
           QStringLiteral(" WHERE Name NOT IN (SELECT ID FROM Names)");
}

QString entriesOfDayFilter(int journalId, const QDate &day)
{
    return QStringLiteral("Name=") + num(journalId) + QStringLiteral(" AND eDate=") + dateLiteral(day);
}

namespace {
const char *const kFindFirstLines =
    "SELECT a.ID,b.Name,a.Author,a.eDate,a.eTime,a.Entry,a.Title\nFROM Journal a, Names b\n";
const char *const kFindLastLine = "\nORDER BY b.Name,a.eDate,a.eTime";
} // namespace

QString findEntries()
{
    return QLatin1String(kFindFirstLines) + QStringLiteral("WHERE a.Name=b.ID") + QLatin1String(kFindLastLine);
}

QString findEntries(std::optional<int> journalId, const QString &searchText, bool caseSensitive)
{
    QString where = QStringLiteral("WHERE a.Name=b.ID");
    if (journalId)
        where += QStringLiteral(" AND a.Name=") + num(*journalId);
    if (caseSensitive) {
        where += QStringLiteral(" AND a.Entry LIKE ") + quoted(u'%' + searchText + u'%');
    } else {
        // Only a to z are raised, as the engine's UPPER does on the entry text.
        QString upper = searchText;
        for (QChar &c : upper) {
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 'a' + 'A');
        }
        where += QStringLiteral(" AND UPPER(a.Entry) LIKE ") + quoted(u'%' + upper + u'%');
    }
    return QLatin1String(kFindFirstLines) + where + QLatin1String(kFindLastLine);
}

QString cookieCount()
{
    return QStringLiteral("SELECT COUNT(*) AS Num FROM Cookie");
}

QString cookiesInOrder()
{
    return QStringLiteral("SELECT Cookie,ID FROM Cookie ORDER BY ID");
}

} // namespace Statements
