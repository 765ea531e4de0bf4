#include "TestSupport.h"

#include "data/Statements.h"
#include "base/WrenError.h"
#include "engine/TableHandle.h"
#include "engine/Transaction.h"

class TableHandleTest : public DataDirTest {
protected:
    void SetUp() override
    {
        openFreshDatabase();
        exec("INSERT INTO Names (Name) VALUES ('One'), ('Two'), ('Three')");
    }

    static QStringList names(TableHandle &handle)
    {
        QStringList out;
        for (handle.first(); !handle.eof(); handle.next())
            out << handle.value("Name").toString();
        return out;
    }
};

TEST_F(TableHandleTest, BrowsesInCreationOrder)
{
    TableHandle names(m_db, "Names");
    names.open();
    EXPECT_EQ(names.recordCount(), 3);
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("One")) << "opening makes the first row current";
    names.last();
    EXPECT_EQ(names.value("name").toString(), QStringLiteral("Three")) << "field names ignore case";
    names.next();
    EXPECT_TRUE(names.eof());
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("Three"));
    names.prior();
    names.prior();
    names.prior();
    EXPECT_TRUE(names.bof());
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("One"));
    EXPECT_TRUE(names.locate(2));
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("Two"));
    EXPECT_FALSE(names.locate(99));
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("Two"));
}

TEST_F(TableHandleTest, TwoHandlesSeeEachOthersStoredRowsAfterRefresh)
{
    TableHandle a(m_db, "Names");
    TableHandle b(m_db, "Names");
    a.open();
    b.open();
    b.locate(3);
    a.insert();
    a.setValue("Name", "Four");
    a.post();
    EXPECT_EQ(a.value("ID").toInt(), 4) << "the engine assigns the number when the row is stored";
    a.locate(1);
    a.setValue("Name", "Uno");
    a.post();

    EXPECT_EQ(b.recordCount(), 3) << "nothing is seen before the refresh";
    b.refresh();
    EXPECT_EQ(names(b), QStringList({"Uno", "Two", "Three", "Four"}));
    b.locate(2);
    b.remove();
    a.refresh();
    EXPECT_EQ(names(a), QStringList({"Uno", "Three", "Four"}));
}

TEST_F(TableHandleTest, RefreshKeepsTheCurrentRow)
{
    TableHandle names(m_db, "Names");
    names.open();
    names.locate(2);
    exec("DELETE FROM Names WHERE ID=1");
    names.refresh();
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("Two"));
}

TEST_F(TableHandleTest, LeavingARowStoresAChangeAndDropsAnUntouchedInsert)
{
    TableHandle names(m_db, "Names");
    names.open();
    names.setValue("Name", "Changed");
    EXPECT_EQ(names.state(), TableHandle::State::Edit);
    names.next();
    EXPECT_EQ(m_db.firstRow("SELECT Name FROM Names WHERE ID=1")->value(0).toString(), QStringLiteral("Changed"));

    names.insert();
    names.first();
    EXPECT_EQ(names.recordCount(), 3);
    EXPECT_EQ(m_db.firstRow("SELECT COUNT(*) FROM Names")->value(0).toInt(), 3);

    names.setValue("Name", "Typed, then cancelled");
    names.cancel();
    EXPECT_EQ(names.value("Name").toString(), QStringLiteral("Changed"));
}

TEST_F(TableHandleTest, ARefusedStoreKeepsWhatWasTyped)
{
    TableHandle jot(m_db, "Journal");
    jot.open();
    jot.insert();
    jot.setValue("Name", 1);
    jot.setValue("Entry", "A long entry nobody wants to lose");
    try {
        jot.post();
        ADD_FAILURE() << "a row without its day must be refused";
    } catch (const WrenError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("A new row of Journal was not stored: eDate is required"));
    }
    EXPECT_EQ(jot.state(), TableHandle::State::Insert);
    EXPECT_EQ(jot.value("Entry").toString(), QStringLiteral("A long entry nobody wants to lose"));
    jot.setValue("eDate", "2002-07-24");
    jot.setValue("eTime", "10:00:00");
    jot.post();
    EXPECT_EQ(m_db.firstRow("SELECT Entry FROM Journal")->value(0).toString(),
              QStringLiteral("A long entry nobody wants to lose"));
}

TEST_F(TableHandleTest, TheEntryQueryIsALiveResult)
{
    exec("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-07-24', '10:00:00', 'a'),"
         "(2, '2002-07-24', '11:00:00', 'other journal'), (1, '2002-07-25', '09:00:00', 'next day'),"
         "(1, '2002-07-24', '08:00:00', 'b')");
    TableHandle jot(m_db, "Journal");
    jot.setQuery(Statements::entryQuery(), {{"Jrnl", 1}, {"fDate", "2002-07-24"}, {"tDate", "2002-07-24"}});
    jot.open();
    EXPECT_EQ(jot.recordCount(), 2);
    EXPECT_EQ(jot.value("Entry").toString(), QStringLiteral("a")) << "rows in ascending ID";

    jot.setValue("Entry", "a, edited");
    jot.insert();
    jot.setValue("Name", 1);
    jot.setValue("eDate", "2002-07-24");
    jot.setValue("eTime", "12:00:00");
    jot.setValue("Entry", "c");
    jot.post();
    jot.remove();
    EXPECT_EQ(m_db.firstRow("SELECT group_concat(Entry, ',') FROM (SELECT Entry FROM Journal ORDER BY ID)")
                  ->value(0)
                  .toString(),
              QStringLiteral("a, edited,other journal,next day,b"));

    jot.setParameters({{"Jrnl", 1}, {"fDate", "2002-07-25"}, {"tDate", "2002-07-25"}});
    jot.refresh();
    EXPECT_EQ(jot.recordCount(), 1);
    EXPECT_EQ(jot.value("Entry").toString(), QStringLiteral("next day"));
}

TEST_F(TableHandleTest, AFilterShowsOneJournalsDay)
{
    exec("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-07-24', '10:00:00', 'a'),"
         "(2, '2002-07-24', '11:00:00', 'b'), (1, '2002-07-25', '09:00:00', 'c')");
    TableHandle jot(m_db, "Journal");
    jot.setFilter(Statements::entriesOfDayFilter(1, QDate(2002, 7, 24)));
    jot.open();
    EXPECT_EQ(jot.recordCount(), 1);
    EXPECT_EQ(jot.value("Entry").toString(), QStringLiteral("a"));
}

TEST_F(TableHandleTest, AnEmptyTableIsAtBothEnds)
{
    TableHandle cookies(m_db, "Cookie");
    cookies.open();
    EXPECT_TRUE(cookies.isEmpty());
    EXPECT_TRUE(cookies.bof());
    EXPECT_TRUE(cookies.eof());
    EXPECT_FALSE(cookies.value("Cookie").isValid());
    EXPECT_THROW(cookies.edit(), WrenError);
    EXPECT_THROW(cookies.remove(), WrenError);
}

TEST_F(TableHandleTest, DaysAndTimesNoCalendarHasAreRefused)
{
    TableHandle jot(m_db, "Journal");
    jot.open();
    struct Case {
        const char *day, *time, *named;
    };
    for (const Case &c : {Case{"2026-11-31", "10:00:00", "2026-11-31"}, Case{"2026-02-29", "10:00:00", "2026-02-29"},
                          Case{"2026-12-01", "25:61:00", "25:61:00"}, Case{"0000-01-01", "10:00:00", "0000-01-01"}}) {
        jot.insert();
        jot.setValue("Name", 1);
        jot.setValue("eDate", QString::fromLatin1(c.day));
        jot.setValue("eTime", QString::fromLatin1(c.time));
        try {
            jot.post();
            ADD_FAILURE() << c.day << " " << c.time << " was stored";
        } catch (const WrenError &error) {
            EXPECT_TRUE(error.message().contains(QString::fromLatin1(c.named))) << error.message().toStdString();
            EXPECT_EQ(jot.state(), TableHandle::State::Insert) << "the row stays for the user to mend";
        }
        jot.cancel();
    }
    jot.insert();
    jot.setValue("Name", 1);
    jot.setValue("eDate", QStringLiteral("2024-02-29"));
    jot.setValue("eTime", QStringLiteral("23:59:59"));
    EXPECT_NO_THROW(jot.post()) << "a leap day is a real day";
}

TEST_F(TableHandleTest, TextsThatAreNotUtf8ComeBackAsStored)
{
    exec("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2026-12-01', '10:00:00', "
         "CAST(x'4de4727a00ff' AS TEXT))");
    TableHandle jot(m_db, "Journal");
    jot.open();
    const QString text = jot.value("Entry").toString();
    // Edit another field and store: the text is written back as the same bytes.
    jot.setValue("Title", QStringLiteral("t"));
    jot.post();
    jot.setValue("Entry", text + QStringLiteral("!"));
    jot.post();
    const auto row = m_db.firstRow("SELECT hex(Entry), typeof(Entry) FROM Journal");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->value(0).toString(), QStringLiteral("4DE4727A00FF21"));
    EXPECT_EQ(row->value(1).toString(), QStringLiteral("text")) << "still a text, not a blob";
}

TEST_F(TableHandleTest, AChangeThatThrowsHalfwayLeavesNoRowBehind)
{
    auto count = [&] { return m_db.firstRow("SELECT COUNT(*) FROM Names")->value(0).toInt(); };
    try {
        Transaction transaction(m_db);
        m_db.run("INSERT INTO Names (Name) VALUES ('Four')");
        m_db.run("INSERT INTO NoSuchTable (Name) VALUES ('Five')");
        transaction.commit();
    } catch (const WrenError &) {
    }
    EXPECT_EQ(count(), 3) << "the first insert is rolled back with the failed second one";
    {
        Transaction transaction(m_db);
        m_db.run("INSERT INTO Names (Name) VALUES ('Four')");
        transaction.commit();
    }
    EXPECT_EQ(count(), 4) << "a committed change stays";
    {
        Transaction transaction(m_db);
        m_db.run("INSERT INTO Names (Name) VALUES ('Five')");
    }
    EXPECT_EQ(count(), 4) << "a transaction left without commit is rolled back";
}
