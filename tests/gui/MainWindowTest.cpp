// Start-up, placement, closing and the simple commands of the main window.

#include "WindowFixture.h"
#include "app/TdlgOptions.h"
#include "editing/EntryList.h"
#include "publish/TdlgArchive.h"
#include "transfer/TestServers.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSystemTrayIcon>
#include <QTest>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QCheckBox>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QDateEdit>

#include <QSignalSpy>
#include <QSplitter>
#include <QUrl>

#ifdef WREN_WEBENGINE
#include <QWebEngineView>
#endif

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST_F(WindowTest, SettingsHoldingOnlyTheVersionStartWithTheDefaults)
{
    writeText(settingsPath(), "[General]\r\nVersion=5.0\r\n");
    ASSERT_TRUE(start());

    EXPECT_EQ(window->pos(), QPoint(228, 151));
    EXPECT_EQ(window->size(), QSize(754, 568));
    EXPECT_FALSE(window->isMaximized());
    EXPECT_FALSE(window->actMainTB->isHidden());
    EXPECT_FALSE(window->actEditTB->isHidden());
    EXPECT_FALSE(window->minimizeOnClose());
    EXPECT_TRUE(action("actLiveSpell")->isChecked());
    EXPECT_FALSE(action("actSave")->isEnabled());

    // The tables were created empty: no journal, an empty grid.
    EXPECT_EQ(window->journalId(), 0);
    EXPECT_EQ(window->dbGrid->model()->rowCount(), 0);
    EXPECT_EQ(window->selectedDay(), QDate::currentDate());

    TdlgOptions &options = part<TdlgOptions>("dlgOptions");
    EXPECT_EQ(options.edDays->text(), QStringLiteral("7"));
    EXPECT_EQ(options.options().days, 7);
    EXPECT_TRUE(options.rbAbs->isChecked());
    EXPECT_FALSE(options.rbPosts->isChecked());
    EXPECT_TRUE(options.chkTag->isChecked());
    EXPECT_EQ(options.cmbVersion->currentText(), QStringLiteral("SOCKS 4.0"));
    EXPECT_EQ(options.cmbAuth->currentText(), QStringLiteral("None"));
    EXPECT_EQ(options.edPort->text(), QStringLiteral("0"));
    EXPECT_FALSE(options.edHost->isEnabled());
}

TEST_F(WindowTest, PlacementStateOneMaximisesAndIgnoresTheBounds)
{
    Settings s = settings();
    s.setValue(Setting::Version, QStringLiteral("5.0"));
    s.setValue(Setting::State, 1);
    s.setValue(Setting::Top, 3);
    s.setValue(Setting::Left, 4);
    s.setValue(Setting::Width, 300);
    s.setValue(Setting::Height, 200);
    s.setValue(Setting::LiveSpell, false);
    s.setValue(Setting::EditToolbar, false);
    ASSERT_TRUE(start());
    EXPECT_TRUE(window->isMaximized());
    EXPECT_NE(window->size(), QSize(300, 200));
    EXPECT_FALSE(action("actLiveSpell")->isChecked());
    EXPECT_TRUE(window->actEditTB->isHidden());
    EXPECT_FALSE(window->actMainTB->isHidden());
}

TEST_F(WindowTest, MinimizeOnCloseWithoutATrayStillLetsTheUserLeave)
{
    makeDemo();
    settings().setValue(Setting::MinimizeOnClose, true);
    ASSERT_TRUE(start());
    window->show();
    window->resize(640, 480);
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "this test needs a display without a tray";

    EXPECT_FALSE(window->close()) << "the close button minimises";
    EXPECT_TRUE(window->isMinimized());
    EXPECT_EQ(settings().value(Setting::Width), 754) << "nothing written back yet";

    // The option is in the File menu too, where the user can uncheck it.
    QAction *option = nullptr;
    for (QAction *item : window->menuBar()->actions().first()->menu()->actions())
        if (item->text() == QStringLiteral("&Minimize on Close"))
            option = item;
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(option->isChecked());

    action("actExit")->trigger();
    EXPECT_FALSE(window->isVisible()) << "File, Exit ends the program when there is no tray to come back from";
    EXPECT_EQ(settings().value(Setting::Width), 640);
    EXPECT_TRUE(settings().value(Setting::MinimizeOnClose));
    EXPECT_TRUE(QFile::exists(dataPath(QStringLiteral("Wren.cfg"))));
}

TEST_F(WindowTest, ClosingIsFinalWhenTheSettingsFileCannotBeWritten)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    window->resize(610, 470);
    // The settings file is replaced by a directory: every write fails.
    QFile::remove(settingsPath());
    ASSERT_TRUE(QDir().mkdir(settingsPath()));
    const int shownBefore = Prompt::shownCount();
    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actExit")->trigger();
    EXPECT_FALSE(window->isVisible()) << "the window closes all the same";
    EXPECT_EQ(Prompt::lastText(), QStringLiteral("Unable to write to %1").arg(settingsPath()));
    EXPECT_EQ(Prompt::shownCount() - shownBefore, 1) << "the failure is shown once";
}

TEST_F(WindowTest, AnEndingSessionClosesWithoutAskingAndKeepsTheTypedText)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    window->resize(620, 460);
    window->dbEntry->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->dbEntry, QStringLiteral(" typed as the session ended"));
    ASSERT_TRUE(window->entries().hasPendingChange());

    window->endSession(); // what SIGTERM or SIGHUP leads to
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settings().value(Setting::Width), 620) << "placement written";
    QFile recovery(dataPath(QStringLiteral("Recovery.json")));
    ASSERT_TRUE(recovery.open(QIODevice::ReadOnly)) << "the text waits for the next start";
    EXPECT_TRUE(recovery.readAll().contains("typed as the session ended"));
    EXPECT_EQ(recovery.permissions() & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner)
        << "what was typed is the user's alone";
}

TEST_F(WindowTest, FileExitClosesAndWritesTheSettingsBack)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    window->move(40, 50);
    window->resize(700, 500);
    window->actEditTB->hide();
    action("actLiveSpell")->setChecked(false);
    action("actExit")->trigger();
    EXPECT_FALSE(window->isVisible());
    Settings s = settings();
    EXPECT_EQ(s.value(Setting::State), 0);
    EXPECT_EQ(s.value(Setting::Left), 40);
    EXPECT_EQ(s.value(Setting::Top), 50);
    EXPECT_EQ(s.value(Setting::Width), 700);
    EXPECT_FALSE(s.value(Setting::EditToolbar));
    EXPECT_TRUE(s.value(Setting::MainToolbar));
    EXPECT_FALSE(s.value(Setting::LiveSpell));
}

// Two windows on two data directories and a wren-publish run, side by side
// on one temporary directory: each stages in a folder of its own, so none
// empties or removes another's.
TEST_F(WindowTest, WindowsAndRunsSideBySideEachStageInAFolderOfTheirOwn)
{
    PyFtpd server;
    ASSERT_TRUE(server.start());
    makeDemo();
    {
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Sites SET FTP='127.0.0.1', Port=%1, Login='alice', Password='apass', Active=1")
                   .arg(server.port()));
        db.run(QStringLiteral("UPDATE Upload SET Directory='/www'"));
        db.close();
    }
    const QDir base(tempBase.path());
    auto stagings = [&base] { return base.entryList({QStringLiteral("wrentmp-*")}, QDir::Dirs | QDir::Hidden); };
    QTemporaryDir other;
    ASSERT_TRUE(base.mkdir(QStringLiteral("wrentmp-dead01")));
    ::chmod(QFile::encodeName(base.filePath(QStringLiteral("wrentmp-dead01"))).constData(), 0700);
    writeText(base.filePath(QStringLiteral("wrentmp-dead01/.owner")), "999999999 1\n");

    ASSERT_TRUE(start());
    const QString mine = stagingPath();
    EXPECT_EQ(stagings(), QStringList{QFileInfo(mine).fileName()}) << "a dead owner's folder goes";
    window->dbEntry->setPlainText(QStringLiteral("previewed"));
    action("actPreview")->trigger();
    ASSERT_TRUE(QFile::exists(mine + QStringLiteral("/temp.htm")));

    // A second window, as a process of its own on another data directory.
    DemoJournal::create(other.filePath(QStringLiteral("data")), QDate::currentDate());
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WREN_DATA_DIR"), other.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("TMPDIR"), tempBase.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(WREN_BIN));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stagings().size() >= 2; }, 15000));
    ASSERT_EQ(stagings().size(), 2);
    // And a wren-publish run on a third.
    DemoJournal::create(other.filePath(QStringLiteral("third")), QDate::currentDate());
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(QStringLiteral(WREN_PUBLISH_BIN),
              {QStringLiteral("--data-dir"), other.filePath(QStringLiteral("third"))});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    second.terminate(); // the desktop session ends for the second window
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(stagings(), QStringList{QFileInfo(mine).fileName()}) << "each removes its own folder only";

    EXPECT_TRUE(QFile::exists(mine + QStringLiteral("/temp.htm")));
    Prompt::setNextAnswer(QMessageBox::No); // the previewed text is not stored
    action("actPublish")->trigger();
    EXPECT_FALSE(window->memLog->toPlainText().contains(QStringLiteral("Cannot create")))
        << window->memLog->toPlainText().toStdString();
    EXPECT_TRUE(QFile::exists(server.home(QStringLiteral("alice")) + QStringLiteral("/www/index.html")));
    drop();
    EXPECT_EQ(stagings(), QStringList());
}

TEST_F(WindowTest, BrowseSiteAndReadMeExplainWhatIsMissing)
{
    makeDemo();
    {
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Names SET WebSite='HTTP://'"));
    }
    ASSERT_TRUE(start());
    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actBrowse")->trigger();
    EXPECT_EQ(Prompt::lastText(), QStringLiteral("Web site not defined for current journal!"));

    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actReadMe")->trigger();
    EXPECT_TRUE(Prompt::lastText().startsWith(QStringLiteral("Wren.Txt file does not exist in the Wren directory")));
    EXPECT_TRUE(Prompt::lastText().contains(dataPath(QStringLiteral("Wren.txt")))) << "it names where it looked";
    EXPECT_EQ(Prompt::pendingAnswers(), 0);
}

TEST_F(WindowTest, JournalBrowsingStopsAtBothEndsAndStoresTheNameBox)
{
    makeDemo();
    {
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("INSERT INTO Names (Name, Author) VALUES ('Second', 'Bo')"));
    }
    ASSERT_TRUE(start());
    EXPECT_EQ(window->journalId(), 1);
    EXPECT_GT(window->dbGrid->model()->rowCount(), 0);
    window->navNamePrior();
    EXPECT_EQ(window->journalId(), 1);

    window->dbName->setText(QStringLiteral("Field Notes, renamed"));
    Q_EMIT window->dbName->textEdited(window->dbName->text());
    window->navNameNext();
    EXPECT_EQ(window->journalId(), 2);
    EXPECT_EQ(window->dbName->text(), QStringLiteral("Second"));
    EXPECT_EQ(window->dbGrid->model()->rowCount(), 0) << "the second journal has no entries";
    EXPECT_EQ(scalar(QStringLiteral("SELECT Name FROM Names WHERE ID=1")).toString(),
              QStringLiteral("Field Notes, renamed"));
    window->navNameNext();
    EXPECT_EQ(window->journalId(), 2);
}

TEST_F(WindowTest, AnEngineErrorShowsAMessageAndKeepsTheTypedText)
{
    makeDemo();
    ASSERT_TRUE(start());
    ASSERT_GT(window->entries().count(), 0);
    window->dbEntry->setPlainText(QStringLiteral("kept through a failed store"));
    ASSERT_TRUE(action("actSave")->isEnabled());

    // Another program holds the entries file locked.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dataPath(QStringLiteral("Journal.DAT"))).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const int shown = Prompt::shownCount();
    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actSave")->trigger();
    EXPECT_EQ(Prompt::shownCount(), shown + 1);
    EXPECT_FALSE(Prompt::lastText().isEmpty());
    EXPECT_TRUE(window->entries().hasPendingChange());

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    action("actSave")->trigger();
    EXPECT_FALSE(window->entries().hasPendingChange());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Entry='kept through a failed store'")).toInt(),
              1);
}

TEST_F(WindowTest, PublishCommandsWriteTheSiteAndLogIntoThePane)
{
    makeDemo();
    {
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("INSERT INTO Names (Name) VALUES ('Empty')"));
    }
    ASSERT_TRUE(start());
    const QString site = dataPath(QStringLiteral("site"));
    action("actPublish")->trigger();
    EXPECT_TRUE(QFile::exists(site + QStringLiteral("/index.html")));
    EXPECT_FALSE(window->memLog->toPlainText().isEmpty());

    // The archive dialog comes preset with the journal's range; OK runs it.
    QTimer::singleShot(0, window.get(), [this] {
        EXPECT_LE(part<TdlgArchive>("dlgArchive").dtFrom->date(), part<TdlgArchive>("dlgArchive").dtTo->date());
        part<TdlgArchive>("dlgArchive").accept();
    });
    action("actArchive")->trigger();
    EXPECT_TRUE(QFile::exists(site + QStringLiteral("/archive.html")));
    EXPECT_GT(QDir(site).entryList({QStringLiteral("arc*.html")}).size(), 3);

    window->navNameNext();
    ASSERT_EQ(window->journalId(), 2);
    Prompt::setNextAnswer(QMessageBox::Ok);
    action("actArchive")->trigger();
    EXPECT_EQ(Prompt::pendingAnswers(), 0);
    EXPECT_FALSE(part<TdlgArchive>("dlgArchive").isVisible());
}

TEST_F(WindowTest, PreviewShowsTheTextAsTyped)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    window->dbEntry->setPlainText(QStringLiteral("Typed\nnot stored"));
    action("actPreview")->trigger();
    const QString file = stagingPath() + QStringLiteral("/temp.htm");
    QFile preview(file);
    ASSERT_TRUE(preview.open(QIODevice::ReadOnly));
    EXPECT_EQ(preview.readAll(), "<HTML><BODY>\r\n<p>Typed</p>not stored\r\n</BODY></HTML>\r\n");
    EXPECT_TRUE(window->entries().hasPendingChange()) << "a preview stores nothing";
#ifdef WREN_WEBENGINE
    auto *view = window->findChild<QWebEngineView *>(QStringLiteral("webView"));
    ASSERT_NE(view, nullptr);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    EXPECT_TRUE(loaded.wait(30000) || loaded.count() > 0);
    ASSERT_GE(loaded.count(), 1);
    EXPECT_EQ(view->url(), QUrl::fromLocalFile(file));
    EXPECT_TRUE(loaded.last().at(0).toBool());
    EXPECT_GT(window->splBrowser->sizes().value(1), 0) << "the preview pane opened";
    EXPECT_FALSE(window->memLog->toPlainText().contains(QStringLiteral("could not show the preview")));
#endif
}

TEST_F(WindowTest, TheEditToolbarIsHiddenAndShownLikeTheMainOne)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    QMenu *bars = window->createPopupMenu(); // the window's child, gone with it
    QAction *edit = nullptr;
    QAction *main = nullptr;
    for (QAction *a : bars->actions()) {
        if (a->text() == QLatin1String("&Edit Toolbar"))
            edit = a;
        if (a->text() == QLatin1String("&Main Toolbar"))
            main = a;
    }
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(edit->isChecked());
    edit->trigger();
    delete bars;
    EXPECT_TRUE(window->actEditTB->isHidden());
    action("actExit")->trigger();
    EXPECT_FALSE(settings().value(Setting::EditToolbar));
    EXPECT_TRUE(settings().value(Setting::MainToolbar));

    drop();
    ASSERT_TRUE(start());
    window->show();
    EXPECT_TRUE(window->actEditTB->isHidden()) << "EditToolbar is read at start";
    window->actEditTB->toggleViewAction()->trigger();
    EXPECT_FALSE(window->actEditTB->isHidden());
    action("actExit")->trigger();
    EXPECT_TRUE(settings().value(Setting::EditToolbar));
}

TEST_F(WindowTest, EveryCommandIsReachedFromTheKeyboard)
{
    makeDemo();
    ASSERT_TRUE(start());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // Every menu title, and every item within its menu, carries a letter of its own.
    auto letterOf = [](const QString &text) {
        const qsizetype at = text.indexOf(u'&');
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    QList<QMenu *> menus{window->findChild<QMenu *>(QStringLiteral("mnuEdit"))};
    QSet<QChar> titles;
    for (QAction *title : window->menuBar()->actions()) {
        EXPECT_FALSE(letterOf(title->text()).isNull()) << title->text().toStdString();
        titles.insert(letterOf(title->text()));
        menus << title->menu();
    }
    EXPECT_EQ(titles.size(), window->menuBar()->actions().size());
    for (QMenu *menu : menus) {
        QSet<QChar> letters;
        int items = 0;
        for (QAction *item : menu->actions()) {
            if (item->isSeparator())
                continue;
            ++items;
            EXPECT_FALSE(letterOf(item->text()).isNull()) << item->text().toStdString();
            letters.insert(letterOf(item->text()));
        }
        EXPECT_EQ(letters.size(), items) << "letters repeat in " << menu->title().toStdString();
    }
    EXPECT_TRUE(action("actPublish")->text().contains(u'&')) << "the command table's own letter stays";
    EXPECT_EQ(action("actPublish")->shortcut(), QKeySequence(Qt::Key_F9));

    // Alt+T, P: the Tools menu and Publish Entries, and no letter lands in the entry.
    const QString page = dataPath(QStringLiteral("site/index.html"));
    QFile::remove(page);
    const QString text = window->dbEntry->toPlainText();
    window->dbEntry->setFocus();
    QTest::keyClick(window->dbEntry, Qt::Key_T, Qt::AltModifier);
    auto *tools = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->title(), QStringLiteral("&Tools"));
    QTest::keyClick(tools, Qt::Key_P);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(page); }));
    EXPECT_EQ(window->dbEntry->toPlainText(), text);

    // F9 publishes as well; Ctrl+Q ends Wren.
    QFile::remove(page);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->dbEntry, Qt::Key_F9);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(page); }));
    QTest::keyClick(window->dbEntry, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
}
