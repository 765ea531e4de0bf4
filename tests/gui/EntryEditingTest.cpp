// Entries in the main window: the unsaved-changes prompt, New, Save, Delete,
// the after-insert defaults and the recovery of text typed before a crash.

#include "WindowFixture.h"
#include "editing/EntryList.h"
#include "editing/EntryRecovery.h"
#include "app/TdlgOptions.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

const QDate kToday(2026, 12, 8);            // the demo holds two entries on this day
const QDate kEmptyDay = kToday.addDays(-4); // and none on this one

class EntryEditingTest : public WindowTest {
protected:
    void SetUp() override
    {
        makeDemo(kToday);
        ASSERT_TRUE(start());
        window->show();
        window->calDateClick(kToday);
        ASSERT_EQ(window->entries().count(), 2);
    }
    int entriesOn(const QDate &day) const
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM Journal WHERE eDate='%1'").arg(day.toString(Qt::ISODate)))
            .toInt();
    }
    QString storedText(qlonglong id) const
    {
        return scalar(QStringLiteral("SELECT Entry FROM Journal WHERE ID=%1").arg(id)).toString();
    }
    // The recovery file follows typing within about a second.
    bool recoveryWritten() const
    {
        return QTest::qWaitFor([this] { return QFile::exists(EntryRecovery::path(dataDir.path())); }, 3000);
    }
    qlonglong currentId() const { return window->entries().rows().value(QStringLiteral("ID")).toLongLong(); }
    void type(const QString &text)
    {
        window->dbEntry->moveCursor(QTextCursor::End);
        QTest::keyClicks(window->dbEntry, text);
    }
    // Presses a key in the next message box as the user would, and keeps its text.
    void pressInNextBox(Qt::Key key)
    {
        QTimer::singleShot(0, window.get(), [this, key] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            boxText = box->text();
            QTest::keyClick(box, key);
        });
    }
    QString row(qlonglong id) const
    {
        return scalar(QStringLiteral("SELECT Name||'|'||eDate||'|'||eTime||'|'||Title||'|'||Entry||'|'||Author FROM "
                                     "Journal WHERE ID=%1")
                          .arg(id))
            .toString();
    }
    QString boxText;
};

} // namespace

TEST_F(EntryEditingTest, AnotherDayAnsweredNoDropsTheChange)
{
    const qlonglong id = currentId();
    const QString before = storedText(id);
    type(QStringLiteral(" typed"));
    EXPECT_TRUE(action("actSave")->isEnabled());

    Prompt::setNextAnswer(QMessageBox::No);
    window->calDateClick(kToday.addDays(-1));
    EXPECT_EQ(Prompt::lastText(), QStringLiteral("You have unsaved Changes! Save?"));
    EXPECT_EQ(storedText(id), before);
    EXPECT_EQ(window->selectedDay(), kToday.addDays(-1));
    EXPECT_EQ(window->entries().count(), entriesOn(kToday.addDays(-1)));

    // Save stays enabled after a discard, and then does nothing.
    EXPECT_TRUE(action("actSave")->isEnabled());
    const int rows = scalar(QStringLiteral("SELECT COUNT(*) FROM Journal")).toInt();
    action("actSave")->trigger();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Journal")).toInt(), rows);
}

TEST_F(EntryEditingTest, NewEntryAnsweredYesStoresTheChangeThenANewEntry)
{
    const qlonglong id = currentId();
    type(QStringLiteral(" and more"));
    Prompt::setNextAnswer(QMessageBox::Yes);
    const QTime before = QTime::currentTime().addSecs(-1);
    action("actNew")->trigger();
    EXPECT_EQ(Prompt::pendingAnswers(), 0);
    EXPECT_TRUE(storedText(id).endsWith(QStringLiteral(" and more")));
    EXPECT_EQ(entriesOn(kToday), 3);
    EXPECT_EQ(window->entries().count(), 3);

    // The new entry is current, stored, empty, at the time now, and Save is off.
    EntryList &entries = window->entries();
    EXPECT_FALSE(entries.hasPendingChange());
    EXPECT_FALSE(action("actSave")->isEnabled());
    EXPECT_TRUE(entries.text().isEmpty());
    EXPECT_TRUE(window->dbEntry->toPlainText().isEmpty());
    const QTime at = QTime::fromString(entries.rows().value(QStringLiteral("eTime")).toString(), Qt::ISODate);
    EXPECT_GE(at, QTime(before.hour(), before.minute(), before.second()));
    EXPECT_EQ(entries.rows().value(QStringLiteral("eDate")).toString(), kToday.toString(Qt::ISODate));
    EXPECT_EQ(entries.rows().value(QStringLiteral("Name")).toInt(), 1);
}

TEST_F(EntryEditingTest, AnotherEntryOfTheSameDayStoresWithoutAsking)
{
    window->dbGrid->selectRow(0);
    const qlonglong first = currentId();
    type(QStringLiteral(" edited"));
    const int shown = Prompt::shownCount();
    window->dbGrid->selectRow(1);
    EXPECT_EQ(Prompt::shownCount(), shown);
    EXPECT_NE(currentId(), first);
    EXPECT_TRUE(storedText(first).endsWith(QStringLiteral(" edited")));
    EXPECT_FALSE(action("actSave")->isEnabled());
    EXPECT_EQ(window->dbEntry->toPlainText(),
              window->entries().text().replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

TEST_F(EntryEditingTest, EditorLinesAreStoredWithCarriageReturns)
{
    window->dbEntry->setPlainText(QStringLiteral("one\ntwo"));
    action("actSave")->trigger();
    EXPECT_EQ(storedText(currentId()), QStringLiteral("one\r\ntwo"));
}

TEST_F(EntryEditingTest, DeleteOnAnEmptyDayDoesNothing)
{
    window->calDateClick(kEmptyDay);
    ASSERT_EQ(window->entries().count(), 0);
    const int rows = scalar(QStringLiteral("SELECT COUNT(*) FROM Journal")).toInt();
    const int shown = Prompt::shownCount();
    action("actDel")->trigger();
    EXPECT_EQ(Prompt::shownCount(), shown);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Journal")).toInt(), rows);

    window->calDateClick(kToday);
    const qlonglong id = currentId();
    action("actDel")->trigger();
    EXPECT_EQ(window->entries().count(), 1);
    EXPECT_TRUE(scalar(QStringLiteral("SELECT ID FROM Journal WHERE ID=%1").arg(id)).isNull());
}

TEST_F(EntryEditingTest, TypingOnAnEmptyDayStartsAnEntryOfThatDay)
{
    window->calDateClick(kEmptyDay);
    window->dbTitle->setFocus();
    QTest::keyClicks(window->dbTitle, QStringLiteral("Fresh"));
    type(QStringLiteral("A new day."));
    EXPECT_TRUE(action("actSave")->isEnabled());
    action("actSave")->trigger();
    EXPECT_EQ(entriesOn(kEmptyDay), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Title FROM Journal WHERE eDate='%1'").arg(kEmptyDay.toString(Qt::ISODate)))
                  .toString(),
              QStringLiteral("Fresh"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Author FROM Journal WHERE eDate='%1'").arg(kEmptyDay.toString(Qt::ISODate)))
                  .toString(),
              QStringLiteral("Ellen"));
    EXPECT_EQ(window->dbGrid->model()->rowCount(), 1);
}

TEST_F(EntryEditingTest, TheAuthorRuleFollowsTheLoginOption)
{
    action("actNew")->trigger();
    EXPECT_EQ(window->entries().rows().value(QStringLiteral("Author")).toString(), QStringLiteral("Ellen"));

    settings().setValue(Setting::UseWindowsLogin, true);
    part<TdlgOptions>("dlgOptions").LoadOptions();
    window->entries().setUseLoginName(part<TdlgOptions>("dlgOptions").useWindowsLogin());
    action("actNew")->trigger();
    ASSERT_FALSE(EntryList::loginName().isEmpty());
    EXPECT_EQ(window->entries().rows().value(QStringLiteral("Author")).toString(), EntryList::loginName().left(30));

    EXPECT_EQ(EntryList::authorFor(false, QString()), QString());
    EXPECT_EQ(EntryList::authorFor(false, QString(40, u'x')).size(), 30);
}

TEST_F(EntryEditingTest, TimeCellEditsTheEntryTime)
{
    QAbstractItemModel *grid = window->dbGrid->model();
    Prompt::setNextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(grid->setData(grid->index(0, 1), QStringLiteral("25:61:00")));
    EXPECT_TRUE(QTest::qWaitFor([] { return Prompt::pendingAnswers() == 0; })) << "said, not silently put back";
    EXPECT_TRUE(Prompt::lastText().startsWith(QStringLiteral("\"25:61:00\" is no time of day")));
    EXPECT_FALSE(grid->flags(grid->index(0, 0)).testFlag(Qt::ItemIsEditable));
    ASSERT_TRUE(grid->setData(grid->index(0, 1), QStringLiteral("6:05")));
    EXPECT_TRUE(action("actSave")->isEnabled());
    action("actSave")->trigger();
    EXPECT_EQ(window->entries().rows().value(QStringLiteral("eTime")).toString(), QStringLiteral("06:05:00"));
}

TEST_F(EntryEditingTest, TextTypedBeforeACrashIsOfferedBack)
{
    const qlonglong id = currentId();
    const QString before = storedText(id);
    type(QStringLiteral(" not yet saved"));
    ASSERT_TRUE(recoveryWritten());
    drop(); // no close: as after a crash

    Prompt::setNextAnswer(QMessageBox::Yes);
    ASSERT_TRUE(start());
    EXPECT_EQ(Prompt::pendingAnswers(), 0);
    // The offer names the journal, the day and the entry's title.
    EXPECT_TRUE(Prompt::lastText().contains(QStringLiteral("Field Notes"))) << Prompt::lastText().toStdString();
    EXPECT_TRUE(Prompt::lastText().contains(QLocale::system().toString(kToday, QLocale::LongFormat)));
    EXPECT_TRUE(Prompt::lastText().contains(u'"' + window->entries().title() + u'"'));
    EXPECT_EQ(window->selectedDay(), kToday);
    EXPECT_EQ(currentId(), id);
    EXPECT_TRUE(window->entries().hasPendingChange());
    EXPECT_TRUE(window->dbEntry->toPlainText().endsWith(QStringLiteral(" not yet saved")));
    EXPECT_EQ(storedText(id), before) << "offered as an unsaved change, not stored";
    action("actSave")->trigger();
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dataDir.path())));
    EXPECT_TRUE(storedText(id).endsWith(QStringLiteral(" not yet saved\r\n")) ||
                storedText(id).endsWith(QStringLiteral(" not yet saved")));
}

TEST_F(EntryEditingTest, SteadyTypingIsKeptWithinASecond)
{
    // A key every 100 ms: the file must not wait for a pause, and words typed
    // after it was written must follow within a second while typing goes on.
    const auto word = [](int i) { return QStringLiteral("w%1").arg(i); };
    const auto kept = [&](int i) {
        const std::optional<RecoveredEntry> file = EntryRecovery::read(dataDir.path());
        return file && file->entry.split(u' ').contains(word(i));
    };
    int typed = 0;
    QTimer typist;
    typist.setInterval(100);
    QObject::connect(&typist, &QTimer::timeout, [&] { type(u' ' + word(typed++)); });
    QElapsedTimer clock;
    clock.start();
    type(u' ' + word(typed++));
    typist.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept(0); }, 3000)) << "no recovery file while typing goes on";
    EXPECT_LT(clock.elapsed(), 1500);
    const int later = typed;
    clock.restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept(later); }, 3000)) << "steady typing held the file back";
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_GT(typed, later + 3) << "the typing went on meanwhile";
}

TEST_F(EntryEditingTest, LosingTheFocusWritesTheRecoveryFileAtOnce)
{
    type(QStringLiteral(" before the focus went"));
    window->hide();
    EXPECT_TRUE(QFile::exists(EntryRecovery::path(dataDir.path())));
}

TEST_F(EntryEditingTest, RecoveredTextOfADeletedEntryBecomesANewEntry)
{
    const qlonglong id = currentId();
    type(QStringLiteral("lost row"));
    ASSERT_TRUE(recoveryWritten());
    drop();
    {
        Database db(QStringLiteral("other"));
        db.open(dataDir.path());
        db.run(QStringLiteral("DELETE FROM Journal WHERE ID=%1").arg(id));
    }
    Prompt::setNextAnswer(QMessageBox::Yes);
    ASSERT_TRUE(start());
    EXPECT_TRUE(window->entries().hasPendingChange());
    action("actSave")->trigger();
    EXPECT_EQ(entriesOn(kToday), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Entry LIKE '%lost row%'")).toInt(), 1);
}

TEST_F(EntryEditingTest, ARecoveredNewEntryKeepsTheTimeItWasBegun)
{
    window->calDateClick(kEmptyDay);
    type(QStringLiteral("begun before the crash"));
    window->entries().rows().setValue(QStringLiteral("eTime"), QStringLiteral("06:30:00")); // begun long ago
    window->hide();
    drop();
    Prompt::setNextAnswer(QMessageBox::Yes);
    ASSERT_TRUE(start());
    EXPECT_TRUE(Prompt::lastText().contains(QStringLiteral("a new entry")));
    action("actSave")->trigger();
    EXPECT_EQ(scalar(QStringLiteral("SELECT eTime FROM Journal WHERE Entry='begun before the crash'")).toString(),
              QStringLiteral("06:30:00"));
}

TEST_F(EntryEditingTest, DecliningTheRecoveryForgetsIt)
{
    type(QStringLiteral("never mind"));
    ASSERT_TRUE(recoveryWritten());
    drop();
    Prompt::setNextAnswer(QMessageBox::No);
    ASSERT_TRUE(start());
    EXPECT_FALSE(window->entries().hasPendingChange());
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dataDir.path())));
}

TEST_F(EntryEditingTest, StoringOrDroppingTheChangeRemovesTheRecoveryFile)
{
    type(QStringLiteral("x"));
    ASSERT_TRUE(recoveryWritten());
    action("actSave")->trigger();
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dataDir.path())));

    type(QStringLiteral("y"));
    ASSERT_TRUE(recoveryWritten());
    Prompt::setNextAnswer(QMessageBox::No);
    window->calDateClick(kToday.addDays(-2));
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dataDir.path())));
}

TEST_F(EntryEditingTest, ATextInAnotherEncodingOpensReadableAndStaysAsStored)
{
    const qlonglong id = currentId();
    const QString hexOf = QStringLiteral("SELECT hex(Entry) FROM Journal WHERE ID=%1").arg(id);
    window->database().run(
        QStringLiteral("UPDATE Journal SET Entry=CAST(x'4772fcdf650d0a9363616666e99420' AS TEXT) WHERE ID=%1").arg(id));
    window->calDateClick(kToday.addDays(-1));
    window->calDateClick(kToday);
    for (int row = 0; row < window->entries().count(); ++row)
        if (window->entries().rows().valueAt(row, QStringLiteral("ID")).toLongLong() == id)
            window->entries().select(row);
    ASSERT_EQ(currentId(), id);
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("Gr\u00fc\u00dfe\n\u201ccaff\u00e9\u201d "));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(QStringLiteral("Windows-1252")));
    EXPECT_FALSE(window->entries().hasPendingChange()) << "showing it changes nothing";

    // Leaving it without a change leaves the bytes alone.
    window->calDateClick(kToday.addDays(-1));
    window->calDateClick(kToday);
    EXPECT_EQ(scalar(hexOf).toString(), QStringLiteral("4772FCDF650D0A9363616666E99420"));

    // A change is saved in the same encoding.
    for (int row = 0; row < window->entries().count(); ++row)
        if (window->entries().rows().valueAt(row, QStringLiteral("ID")).toLongLong() == id)
            window->entries().select(row);
    type(QStringLiteral("!"));
    action("actSave")->trigger();
    EXPECT_EQ(scalar(hexOf).toString(), QStringLiteral("4772FCDF650D0A9363616666E9942021"));
}

TEST_F(EntryEditingTest, TheCalendarMovedByKeysIsTheDayOfTheListAndOfNewEntries)
{
    auto *view = window->calDate->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(view, nullptr);
    type(QStringLiteral("!")); // a pending change: the move asks about it
    view->setFocus();
    Prompt::setNextAnswer(QMessageBox::No);
    const int shown = Prompt::shownCount();
    QTest::keyClick(view, Qt::Key_Left);
    EXPECT_EQ(Prompt::shownCount(), shown + 1) << "the unsaved-changes prompt, as for a click";
    EXPECT_EQ(window->calDate->selectedDate(), kToday.addDays(-1));
    EXPECT_EQ(window->selectedDay(), kToday.addDays(-1));
    EXPECT_EQ(window->entries().count(), entriesOn(kToday.addDays(-1)));

    // A month back with Page Up, then New Entry: the entry lands on the day shown.
    QTest::keyClick(view, Qt::Key_PageUp);
    const QDate shownDay = window->calDate->selectedDate();
    ASSERT_EQ(shownDay, kToday.addDays(-1).addMonths(-1));
    const int before = entriesOn(shownDay);
    action("actNew")->trigger();
    EXPECT_EQ(entriesOn(shownDay), before + 1);
    EXPECT_EQ(entriesOn(kToday), 2) << "not on the last day clicked";

    // The year box and the month arrows move the day too.
    window->calDate->setCurrentPage(2025, shownDay.month());
    window->calDate->setSelectedDate(QDate(2025, shownDay.month(), 3));
    EXPECT_EQ(window->selectedDay(), QDate(2025, shownDay.month(), 3));
}

TEST_F(EntryEditingTest, JournalBrowsingAtTheEndsAsksNothingAndKeepsTheText)
{
    type(QStringLiteral(" kept"));
    const int shown = Prompt::shownCount();
    window->navNamePrior(); // the demo holds one journal: both ends at once
    window->navNameNext();
    EXPECT_EQ(Prompt::shownCount(), shown);
    EXPECT_TRUE(window->entries().hasPendingChange());
    EXPECT_TRUE(window->dbEntry->toPlainText().endsWith(QStringLiteral(" kept")));
}

TEST_F(EntryEditingTest, TypingOnAnEmptyDayShowsTheNewRowInTheGrid)
{
    window->calDateClick(kEmptyDay);
    ASSERT_EQ(window->dbGrid->model()->rowCount(), 0);
    type(QStringLiteral("A"));
    EXPECT_EQ(window->dbGrid->model()->rowCount(), 1);
    type(QStringLiteral("nd more"));
    EXPECT_EQ(window->dbEntry->toPlainText(), QStringLiteral("And more")) << "the row does not reset the text";
    action("actSave")->trigger();
    EXPECT_EQ(entriesOn(kEmptyDay), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Entry FROM Journal WHERE eDate='%1'").arg(kEmptyDay.toString(Qt::ISODate)))
                  .toString(),
              QStringLiteral("And more"));
}

TEST_F(EntryEditingTest, RecolouringIsNoEditButEveryKeyReachesTheStore)
{
    ASSERT_FALSE(action("actSave")->isEnabled());
    action("actLiveSpell")->toggle(); // re-colours the whole text
    action("actLiveSpell")->toggle();
    EXPECT_FALSE(window->entries().hasPendingChange());
    type(QStringLiteral("ab"));
    QTest::keyClick(window->dbEntry, Qt::Key_Backspace);
    type(QStringLiteral("c"));
    const qlonglong id = currentId();
    action("actSave")->trigger();
    EXPECT_TRUE(storedText(id).endsWith(QStringLiteral("ac"))) << storedText(id).toStdString();
    EXPECT_FALSE(action("actSave")->isEnabled());
    action("actLiveSpell")->toggle();
    EXPECT_FALSE(window->entries().hasPendingChange()) << "a stored entry stays stored through re-colouring";
}

TEST_F(EntryEditingTest, ListsWhoseColumnsFitShowNoHorizontalScrollBar)
{
    window->resize(754, 568);
    QApplication::processEvents();
    EXPECT_FALSE(window->dbGrid->horizontalScrollBar()->isVisible());
    EXPECT_LE(window->dbGrid->horizontalHeader()->length(), window->dbGrid->viewport()->width());
}

TEST_F(EntryEditingTest, EscapeOnTheUnsavedChangesPromptKeepsTheTextAndTheWindow)
{
    const qlonglong id = currentId();
    const QString before = storedText(id);
    window->dbEntry->setFocus();
    type(QStringLiteral(" not to be lost"));
    window->hide(); // the recovery file is written at once
    window->show();
    ASSERT_TRUE(QFile::exists(EntryRecovery::path(dataDir.path())));

    // Escape on the question when closing: the window stays, the text stays.
    pressInNextBox(Qt::Key_Escape);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(boxText, QStringLiteral("You have unsaved Changes! Save?"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->entries().hasPendingChange());
    EXPECT_TRUE(window->dbEntry->toPlainText().endsWith(QStringLiteral(" not to be lost")));
    EXPECT_EQ(storedText(id), before);
    EXPECT_TRUE(QFile::exists(EntryRecovery::path(dataDir.path())));

    // Nor does the day change, or New Entry happen.
    pressInNextBox(Qt::Key_Escape);
    window->calDateClick(kToday.addDays(-1));
    EXPECT_EQ(window->selectedDay(), kToday);
    EXPECT_EQ(window->calDate->selectedDate(), kToday);
    pressInNextBox(Qt::Key_Escape);
    action("actNew")->trigger();
    EXPECT_EQ(entriesOn(kToday), 2);
    EXPECT_TRUE(window->dbEntry->toPlainText().endsWith(QStringLiteral(" not to be lost")));

    // No drops the text and the file, and the window closes.
    pressInNextBox(Qt::Key_N);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(storedText(id), before);
    EXPECT_FALSE(QFile::exists(EntryRecovery::path(dataDir.path())));
}

TEST_F(EntryEditingTest, ADeletedEntryComesBackWithCtrlZInTheList)
{
    const qlonglong id = currentId();
    const QString stored = row(id);
    ASSERT_FALSE(stored.isEmpty());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->dbGrid->setFocus();
    QTest::keyClick(window->dbGrid, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(row(id).isEmpty()) << "deleted at once, without a question";
    EXPECT_EQ(window->entries().count(), 1);
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("Entry deleted: Undo Delete brings it back"));
    EXPECT_TRUE(action("actUndoDelete")->isEnabled());

    // Looking at another day first: the entry comes back on its own day.
    window->calDateClick(kEmptyDay);
    window->dbGrid->setFocus();
    QTest::keyClick(window->dbGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(row(id), stored) << "its number, date, time, title and text";
    EXPECT_EQ(window->selectedDay(), kToday);
    EXPECT_EQ(currentId(), id);
    EXPECT_EQ(window->entries().count(), 2);
    EXPECT_FALSE(action("actUndoDelete")->isEnabled()) << "once";
}

TEST_F(EntryEditingTest, UndoingBackToTheStoredTextLeavesNothingUnsaved)
{
    window->dbEntry->setFocus();
    type(QStringLiteral("xy"));
    ASSERT_TRUE(action("actSave")->isEnabled());
    QTest::keyClick(window->dbEntry, Qt::Key_Z, Qt::ControlModifier);
    if (window->entries().hasPendingChange()) // typing may come back in one or two steps
        QTest::keyClick(window->dbEntry, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window->entries().hasPendingChange(); }));
    EXPECT_FALSE(action("actSave")->isEnabled());
    const int shown = Prompt::shownCount();
    window->calDateClick(kToday.addDays(-1));
    EXPECT_EQ(Prompt::shownCount(), shown) << "nothing to ask about";
}
