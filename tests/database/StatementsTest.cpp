#include "TestSupport.h"

#include "data/Statements.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace S = Statements;

TEST(StatementTextTest, PageEntriesForTheFirstWeekOfNovember2001)
{
    EXPECT_EQ(S::pageEntries(QDate(2001, 11, 1), QDate(2001, 11, 7), 3, true),
              QStringLiteral("SELECT * FROM Journal WHERE eDate>='2001-11-01' AND eDate<='2001-11-07'AND Name=3 "
                             "ORDER BY eDate DESC, eTime DESC"));
    EXPECT_TRUE(
        S::pageEntries(QDate(2001, 11, 1), QDate(2001, 11, 7), 3, false).endsWith(" ORDER BY eDate ASC, eTime ASC"));
}

TEST(StatementTextTest, FindTextIsQuotedAndRaisedOnlyFromAToZ)
{
    EXPECT_EQ(S::findEntries(std::nullopt, "it's", false).split('\n').at(2),
              QStringLiteral("WHERE a.Name=b.ID AND UPPER(a.Entry) LIKE '%IT''S%'"));
    EXPECT_EQ(S::findEntries(4, "it's", true).split('\n').at(2),
              QStringLiteral("WHERE a.Name=b.ID AND a.Name=4 AND a.Entry LIKE '%it''s%'"));
    // Both ends of the range, and the characters just beside them, which stay.
    EXPECT_EQ(S::findEntries(std::nullopt, "az`{AZ@[", false).split('\n').at(2),
              QStringLiteral("WHERE a.Name=b.ID AND UPPER(a.Entry) LIKE '%AZ`{AZ@[%'"));
    EXPECT_EQ(S::findEntries(std::nullopt, "quiz jazz", false).split('\n').at(2),
              QStringLiteral("WHERE a.Name=b.ID AND UPPER(a.Entry) LIKE '%QUIZ JAZZ%'"));
    EXPECT_EQ(S::findEntries(std::nullopt, QStringLiteral(u"café"), false).split('\n').at(2),
              QStringLiteral(u"WHERE a.Name=b.ID AND UPPER(a.Entry) LIKE '%CAFé%'"));
    EXPECT_EQ(S::findEntries(),
              QStringLiteral("SELECT a.ID,b.Name,a.Author,a.eDate,a.eTime,a.Entry,a.Title\nFROM Journal a, "
                             "Names b\nWHERE a.Name=b.ID\nORDER BY b.Name,a.eDate,a.eTime"));
}

TEST(StatementTextTest, DatesAreZeroPaddedLiterals)
{
    EXPECT_EQ(S::dateLiteral(QDate(2001, 11, 29)), QStringLiteral("'2001-11-29'"));
    EXPECT_EQ(S::dateLiteral(QDate(999, 1, 5)), QStringLiteral("'0999-01-05'"));
    EXPECT_EQ(S::purgeEntries(3, QDate(999, 12, 31)),
              QStringLiteral("DELETE FROM Journal WHERE Name=3 AND eDate<'0999-12-31'"));
    EXPECT_EQ(S::purgeEntries(3), QStringLiteral("DELETE FROM Journal WHERE Name=3"));
    EXPECT_EQ(S::setLastArchived(QDate(2002, 7, 24), 12),
              QStringLiteral("UPDATE Upload SET LastArc='2002-07-24' WHERE ID=12"));
    EXPECT_EQ(S::entriesOfDayFilter(2, QDate(2002, 7, 4)), QStringLiteral("Name=2 AND eDate='2002-07-04'"));
    EXPECT_EQ(S::entryQuery(),
              QStringLiteral("SELECT * FROM Journal\nWHERE Name=:Jrnl AND eDate>=:fDate AND eDate<=:tDate"));
}

// Every statement run on real table files holding a small fixture.
class StatementRunTest : public DataDirTest {
protected:
    void SetUp() override
    {
        openFreshDatabase();
        exec("INSERT INTO Names (ID, Name, Reverse, ArcType) VALUES (1, 'Alpha', 1, 'Weekly'), (2, 'Beta', 0, "
             "'Monthly')");
        exec("INSERT INTO Journal (Name, eDate, eTime, Entry, Author) VALUES "
             "(1, '2001-11-03', '18:00:00', 'It''s late', 'ann'),"     // ID 1
             "(1, '2001-11-01', '10:00:00', 'its early', 'ann'),"      // ID 2
             "(1, '2001-11-03', '09:00:00', 'ITS MORNING', 'bob'),"    // ID 3
             "(1, '2001-11-08', '12:00:00', 'after the week', 'ann')," // ID 4
             "(2, '2001-11-02', '08:00:00', 'beta it''s', 'cy'),"      // ID 5
             "(1, '0999-05-01', '12:00:00', 'ancient', 'ann')");       // ID 6
        exec("INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES "
             "(1, 'Remote', 'ftp.example.org', 'me', 'pw', 21, 1), (2, 'Local', '', '', '', 0, 0)");
        exec("INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, "
             "ArcExt, "
             "AutoArc, LastArc, ImageDir) VALUES "
             "(1, 1, 1, 1, 2, 'index.html', 'arc.html', '/www', 1, 'html', 1, '2001-10-01', 'img'),"
             "(2, 1, 2, 1, 2, 'index.html', 'arc.html', '/tmp/x', 0, 'htm', 0, NULL, ''),"
             "(3, 2, 2, 1, 2, 'beta.html', 'barc.html', '/tmp/y', 1, 'htm', 0, NULL, ''),"
             "(4, 1, 2, 1, 2, 'local.html', 'larc.html', '/tmp/z', 1, 'php', 0, NULL, '')");
        exec("INSERT INTO Cookie (ID, Cookie) VALUES (9, 'nine'), (5, 'five'), (12, 'twelve')");
    }

    // The rows of a statement as "a|b|c" lines.
    QStringList rows(const QString &statement)
    {
        QSqlQuery q = m_db.run(statement);
        QStringList out;
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            out << values.join('|');
        }
        return out;
    }
};

TEST_F(StatementRunTest, AggregatesGiveTheDaysAndNoRowForAnEmptyJournal)
{
    EXPECT_EQ(m_db.firstRow(S::latestEntryDay(1))->value("eDate").toString(), QStringLiteral("2001-11-08"));
    EXPECT_EQ(m_db.firstRow(S::earliestEntryDay(1))->value("EDATE").toString(), QStringLiteral("0999-05-01"));
    EXPECT_EQ(m_db.firstRow(S::latestEntryDayForArchives(2))->value("eDate").toString(), QStringLiteral("2001-11-02"));
    EXPECT_FALSE(m_db.firstRow(S::latestEntryDay(7)).has_value());
    EXPECT_FALSE(m_db.firstRow(S::earliestEntryDay(7)).has_value());
    EXPECT_FALSE(m_db.firstRow(S::latestEntryDayForArchives(7)).has_value());
    EXPECT_EQ(m_db.firstRow(S::cookieCount())->value("Num").toInt(), 3);
}

TEST_F(StatementRunTest, EntryListsComeInPageAndArchiveOrder)
{
    EXPECT_EQ(rows(S::entryDaysNewestFirst(1)), QStringList({"2001-11-08", "2001-11-03", "2001-11-01", "0999-05-01"}));
    const QString newest = S::pageEntries(QDate(2001, 11, 1), QDate(2001, 11, 7), 1, true);
    QStringList ids;
    for (const QString &row : rows(newest))
        ids << row.split('|').at(4);
    EXPECT_EQ(ids, QStringList({"1", "3", "2"}));
    ids.clear();
    for (const QString &row : rows(S::pageEntries(QDate(2001, 11, 1), QDate(2001, 11, 7), 1, false)))
        ids << row.split('|').at(4);
    EXPECT_EQ(ids, QStringList({"2", "3", "1"}));
    EXPECT_EQ(rows(S::archiveDays(1, QDate(2001, 11, 1), QDate(2001, 11, 30), true)),
              QStringList({"2001-11-08", "2001-11-03", "2001-11-01"}));
    EXPECT_EQ(rows(S::archiveDays(1, QDate(2001, 11, 1), QDate(2001, 11, 30), false)),
              QStringList({"2001-11-01", "2001-11-03", "2001-11-08"}));
}

TEST_F(StatementRunTest, UploadsJoinTheirSitesAndHonourActive)
{
    QSqlQuery q = m_db.run(S::activeUploads(1));
    QStringList found;
    while (q.next())
        found << q.value("ID").toString() + ':' + q.value("FTP").toString() + ':' + q.value("Active").toString() + ':' +
                     q.value("LogFile").toString() + ':' + q.value("ImageDir").toString() + ':' +
                     q.value("LastArc").toString();
    found.sort();
    EXPECT_EQ(found, QStringList({"1:ftp.example.org:1:index.html:img:2001-10-01", "4::0:local.html::"}));
    EXPECT_EQ(rows(S::activeUploads(1, 4)).size(), 1);
    EXPECT_EQ(rows(S::activeUploads(1, 2)).size(), 0) << "an inactive upload takes no part";
    EXPECT_EQ(rows(S::activeUpload(1, 1)), QStringList("ftp.example.org|me|pw|21|1|1|2|index.html|arc.html|/www|html"));
    EXPECT_TRUE(rows(S::activeUpload(2, 1)).isEmpty());
    EXPECT_TRUE(rows(S::activeUpload(3, 1)).isEmpty()) << "upload 3 belongs to journal 2";
    QStringList all = rows(S::uploadIds(1));
    all.sort();
    EXPECT_EQ(all, QStringList({"1", "2", "4"}));
}

TEST_F(StatementRunTest, LastArchivedIsRecorded)
{
    m_db.run(S::setLastArchived(QDate(2002, 1, 5), 2));
    EXPECT_EQ(rows("SELECT ID, LastArc FROM Upload ORDER BY ID"),
              QStringList({"1|2001-10-01", "2|2002-01-05", "3|", "4|"}));
}

TEST_F(StatementRunTest, CookiesComeInIdOrder)
{
    EXPECT_EQ(rows(S::cookiesInOrder()), QStringList({"five|5", "nine|9", "twelve|12"}));
}

TEST_F(StatementRunTest, FindMatchesCaseAsAsked)
{
    auto ids = [&](const QString &statement) {
        QStringList out;
        for (const QString &row : rows(statement))
            out << row.split('|').at(0);
        return out;
    };
    // Case-blind: its, It's, ITS all match "its"; sorted by journal name, day, time.
    EXPECT_EQ(ids(S::findEntries(std::nullopt, "its", false)), QStringList({"2", "3"}));
    EXPECT_EQ(ids(S::findEntries(std::nullopt, "it's", false)), QStringList({"1", "5"}));
    EXPECT_EQ(ids(S::findEntries(1, "it's", false)), QStringList({"1"}));
    // Case-sensitive: LIKE compares letter case.
    EXPECT_EQ(ids(S::findEntries(std::nullopt, "It's", true)), QStringList({"1"}));
    EXPECT_EQ(ids(S::findEntries(std::nullopt, "ITS", true)), QStringList({"3"}));
    // "%" typed by the user is a wildcard.
    EXPECT_EQ(ids(S::findEntries(1, "f%w", true)), QStringList({"4"}));
    EXPECT_EQ(ids(S::findEntries(std::nullopt, "", false)).size(), 6);
    const QStringList first = rows(S::findEntries(std::nullopt, "late", true));
    EXPECT_TRUE(first.value(0).startsWith("1|Alpha|ann|2001-11-03|18:00:00|It's late|"))
        << first.value(0).toStdString();
}

TEST_F(StatementRunTest, UpperFoldsOnlyAToZ)
{
    exec(QStringLiteral(
        u"INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2001-12-01', '10:00:00', 'crème')"));
    EXPECT_EQ(rows(QStringLiteral("SELECT UPPER(Entry) FROM Journal WHERE eDate='2001-12-01'")),
              QStringList(QStringLiteral(u"CRèME")));
}

TEST_F(StatementRunTest, PurgeAndJournalDeletionTouchOnlyTheirRows)
{
    m_db.run(S::purgeEntries(1, QDate(2001, 11, 3)));
    EXPECT_EQ(rows("SELECT ID FROM Journal ORDER BY ID"), QStringList({"1", "3", "4", "5"}));

    m_db.run(S::deleteJournalEntries(1));
    m_db.run(S::deleteJournalUploads(1));
    EXPECT_EQ(rows("SELECT ID, Name FROM Journal"), QStringList("5|2"));
    EXPECT_EQ(rows("SELECT ID FROM Upload"), QStringList("3"));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Sites"), QStringList("2")) << "sites stay";
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Names"), QStringList("2")) << "the journal row is the dialog's to delete";

    m_db.run(S::purgeEntries(2));
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Journal"), QStringList("0"));
}

TEST_F(StatementRunTest, TheEntryQueryTakesItsParameters)
{
    QSqlQuery q(m_db.connection());
    q.prepare(S::entryQuery());
    q.bindValue(":Jrnl", 1);
    q.bindValue(":fDate", "2001-11-03");
    q.bindValue(":tDate", "2001-11-03");
    m_db.run(q);
    QStringList ids;
    while (q.next())
        ids << q.value("ID").toString();
    ids.sort();
    EXPECT_EQ(ids, QStringList({"1", "3"}));
}
