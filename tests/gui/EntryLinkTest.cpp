// Entry Link and Find: the lists they show and the links they insert.

#include "WindowFixture.h"
#include "editing/EntryLinkDialogs.h"
#include "editing/EntryList.h"
#include "publish/FormatDate.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

class EntryLinkTest : public WindowTest {
protected:
    void SetUp() override
    {
        makeDemo(QDate(2026, 12, 8));
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("INSERT INTO Names (Name, ArcType) VALUES ('Aside', 'Monthly')"));
        const char *rows[] = {"(2, '2002-07-21', '09:00:00', 'its ITS Its')",
                              "(2, '2002-07-24', '10:00:00', 'It''s abc')",
                              "(2, '2002-07-24', '11:00:00', 'ABC 100% sure')", "(2, '2002-07-25', '11:00:00', NULL)"};
        for (const char *row : rows)
            db.run(QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES ") + QLatin1String(row));
        db.close();
        ASSERT_TRUE(start());
        window->show();
        window->navNameNext(); // the "Aside" journal, monthly
        ASSERT_EQ(window->journalId(), 2);
    }
    // Runs Find with the text and options, returns the listed entry texts. A
    // search without hits keeps its message in noHits and ends with Cancel.
    QStringList find(const QString &text, bool caseSensitive, bool all = false, bool link = false)
    {
        TfrmFind &f = part<TfrmFind>("frmFind");
        TfrmList &l = part<TfrmList>("frmList");
        QStringList listed;
        noHits.clear();
        std::function<void()> answer = [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == &l) {
                for (int row = 0; row < l.count(); ++row) {
                    l.dbList->selectRow(row);
                    listed << l.dbEntry->toPlainText();
                }
                if (l.count() > 0)
                    l.dbList->selectRow(0);
                link ? l.accept() : l.reject();
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                noHits = box->text();
                QTimer::singleShot(0, window.get(), answer);
                QTest::keyClick(box, Qt::Key_Return);
            } else if (modal == &f) {
                f.reject(); // offered again after no hits
            }
        };
        QTimer::singleShot(0, window.get(), [&] {
            f.edFind->setText(text);
            f.chkCase->setChecked(caseSensitive);
            (all ? f.rbAll : f.rbCurr)->setChecked(true);
            f.accept();
            QTimer::singleShot(0, window.get(), answer);
        });
        action("actFind")->trigger();
        return listed;
    }
    QString noHits;
};

} // namespace

TEST_F(EntryLinkTest, FindListsByCaseAndWildcards)
{
    EXPECT_EQ(find("abc", false), QStringList({"It's abc", "ABC 100% sure"}));
    EXPECT_EQ(find("abc", true), QStringList({"It's abc"}));
    EXPECT_EQ(find("it's", false), QStringList({"It's abc"})) << "a quote in the text";
    EXPECT_EQ(find("", false).size(), 3) << "every entry with text";
    EXPECT_EQ(find("1%s", false), QStringList({"ABC 100% sure"})) << "% acts as a wildcard";
    EXPECT_EQ(find("boatmen", false, false), QStringList());
    EXPECT_EQ(noHits, QStringLiteral("No entries hold \"boatmen\" in Aside."));
    EXPECT_EQ(find("boatmen", false, true).size(), 1) << "all journals";
    EXPECT_TRUE(noHits.isEmpty());
    // The list names each hit's title.
    const QTableWidget *list = part<TfrmList>("frmList").dbList;
    ASSERT_EQ(list->horizontalHeaderItem(1)->text(), QStringLiteral("Title"));
    EXPECT_EQ(list->item(0, 1)->text(), scalar("SELECT Title FROM Journal WHERE Entry LIKE '%boatmen%'").toString());
}

TEST_F(EntryLinkTest, TheResultsPaneMarksTheTextInAnyCase)
{
    EXPECT_EQ(find("its", true), QStringList({"its ITS Its"}));
    QTextDocument *doc = part<TfrmList>("frmList").dbEntry->document();
    const QList<QTextLayout::FormatRange> marks = doc->firstBlock().layout()->formats();
    ASSERT_EQ(marks.size(), 3);
    for (const QTextLayout::FormatRange &m : marks) {
        EXPECT_EQ(m.length, 3);
        EXPECT_EQ(m.format.background().color(), QColor(Qt::yellow));
        EXPECT_EQ(m.format.foreground().color(), QColor(Qt::black));
    }
}

TEST_F(EntryLinkTest, LinksUseTheCurrentJournalsArchiveType)
{
    window->dbEntry->setPlainText(QString());
    find("boatmen", false, true, true);
    const QString text = window->dbEntry->toPlainText();
    // The demo entry lies in another journal; this journal is monthly. With
    // nothing selected the entry's title is the link's text.
    EXPECT_TRUE(text.startsWith(QStringLiteral("<a href=\"arc20261201.<$WrenExt>#WrenID"))) << text.toStdString();
    const QString title = scalar("SELECT Title FROM Journal WHERE Entry LIKE '%boatmen%'").toString();
    ASSERT_FALSE(title.isEmpty());
    EXPECT_TRUE(text.endsWith(QStringLiteral("\">") + title + QStringLiteral("</a>"))) << text.toStdString();

    // Entry Link: a day without entries inserts nothing; a day with one wraps the selection.
    TdlgEntries &dlg = part<TdlgEntries>("dlgEntries");
    window->dbEntry->setPlainText(QStringLiteral("then"));
    window->dbEntry->selectAll();
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_EQ(dlg.calDate->selectedDate(), QDate::currentDate());
        dlg.showDay(2, QDate(2002, 7, 22));
        EXPECT_EQ(dlg.dbGrid->rowCount(), 0);
        dlg.accept();
    });
    action("actEntry")->trigger();
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("then"));
    QTimer::singleShot(0, window.get(), [&] {
        dlg.showDay(2, QDate(2002, 7, 21));
        EXPECT_EQ(dlg.dbEntry->toPlainText(), QStringLiteral("its ITS Its"));
        dlg.accept();
    });
    action("actEntry")->trigger();
    const qlonglong id = scalar(QStringLiteral("SELECT ID FROM Journal WHERE eDate='2002-07-21'")).toLongLong();
    EXPECT_EQ(window->dbEntry->toPlainText(),
              QStringLiteral("<a href=\"arc20020701.<$WrenExt>#WrenID%1\">then</a>").arg(id));
}

TEST_F(EntryLinkTest, EnterInTheResultsNeverLinksAndFindStartsInTheSearchText)
{
    window->dbEntry->setPlainText(QString());
    find("boatmen", false, true, true); // Link used once
    const QString linked = window->dbEntry->toPlainText();
    ASSERT_FALSE(linked.isEmpty());

    TfrmFind &f = part<TfrmFind>("frmFind");
    TfrmList &l = part<TfrmList>("frmList");
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_EQ(f.focusWidget(), f.edFind) << "the search text has the focus again";
        EXPECT_EQ(f.edFind->selectedText(), QStringLiteral("boatmen"));
        f.accept();
        QTimer::singleShot(0, window.get(), [&] {
            l.btnLink->setFocus();
            QTest::keyClick(&l, Qt::Key_Return);
            if (l.isVisible())
                l.reject(); // Enter left the window open: a fault, but end the run
        });
    });
    action("actFind")->trigger();
    EXPECT_EQ(l.result(), QDialog::Rejected) << "Enter is OK, which closes without linking";
    EXPECT_EQ(window->dbEntry->toPlainText(), linked);
}

TEST_F(EntryLinkTest, TheLinkDialogsCalendarFollowsTheKeys)
{
    TdlgEntries &dlg = part<TdlgEntries>("dlgEntries");
    window->dbEntry->setPlainText(QString());
    QTimer::singleShot(0, window.get(), [&] {
        dlg.showDay(2, QDate(2002, 6, 24));
        // Another month: its day of the same number is listed, its days with entries bold.
        auto *next = dlg.calDate->findChild<QToolButton *>(QStringLiteral("qt_calendar_nextmonth"));
        ASSERT_NE(next, nullptr);
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(dlg.calDate->selectedDate(), QDate(2002, 7, 24));
        EXPECT_EQ(dlg.dbGrid->rowCount(), 2) << "the entries of 24 July";
        EXPECT_EQ(dlg.calDate->dateTextFormat(QDate(2002, 7, 21)).fontWeight(), QFont::Bold);
        EXPECT_NE(dlg.calDate->dateTextFormat(QDate(2002, 7, 23)).fontWeight(), QFont::Bold);
        auto *view = dlg.calDate->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left);
        EXPECT_EQ(dlg.dbEntry->toPlainText(), QStringLiteral("its ITS Its"));
        QTest::keyClick(view, Qt::Key_Return); // Enter in the calendar is OK
    });
    action("actEntry")->trigger();
    // No title: the entry's date, as the journal writes dates, is the link's text.
    const qlonglong id = scalar(QStringLiteral("SELECT ID FROM Journal WHERE eDate='2002-07-21'")).toLongLong();
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("<a href=\"arc20020701.<$WrenExt>#WrenID%1\">%2</a>")
                                                  .arg(id)
                                                  .arg(FormatDate(QStringLiteral("ddddd"), QDate(2002, 7, 21))));
}

TEST_F(EntryLinkTest, TheSearchTextIsMarkedInsideMarkupToo)
{
    const QString text = QStringLiteral("<a title=\"the abc\">x</a> <!-- abc --> <foo abc> <script>abc</script>");
    window->database().run(QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES "
                                          "(2, '2002-08-01', '09:00:00', '%1')")
                               .arg(text));
    const QStringList listed = find("ABC", false);
    TfrmList &l = part<TfrmList>("frmList");
    const int row = static_cast<int>(listed.indexOf(text));
    ASSERT_GE(row, 0);
    l.dbList->selectRow(row);
    const QTextBlock block = l.dbEntry->document()->firstBlock();
    ASSERT_EQ(block.text(), text);
    QList<int> marked;
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (r.format.background().color() == QColor(Qt::yellow))
            for (int k = r.start; k < r.start + r.length; ++k)
                marked << k;
    // Every occurrence: in the attribute value, the comment, the unknown tag and the script.
    for (qsizetype at = text.indexOf(QLatin1String("abc")); at >= 0; at = text.indexOf(QLatin1String("abc"), at + 3))
        for (int k = static_cast<int>(at); k < at + 3; ++k)
            EXPECT_TRUE(marked.contains(k)) << "position " << k;
    EXPECT_EQ(marked.size(), 12);
}
