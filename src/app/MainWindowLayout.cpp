#include "MainWindowLayout.h"

#include "app/MainActions.h"
#include "base/Settings.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

void MainWindowLayout::setupLayout(QMainWindow &window)
{
    actMainTB = window.addToolBar(QStringLiteral("Main Toolbar"));
    actMainTB->setObjectName(QStringLiteral("actMainTB"));
    actMainTB->setIconSize(QSize(20, 20));
    actMainTB->setMovable(false);
    actMainTB->toggleViewAction()->setText(QStringLiteral("&Main Toolbar"));

    // Left pane: the journal strip, the calendar and the entries of the day.
    auto *left = new QWidget;
    auto *pnlJournal = new QHBoxLayout;
    dbName = new QLineEdit;
    dbName->setObjectName(QStringLiteral("dbName"));
    navPrior = new QToolButton;
    navPrior->setArrowType(Qt::LeftArrow);
    navPrior->setStatusTip(QStringLiteral("Previous Journal"));
    navPrior->setToolTip(QStringLiteral("Previous Journal"));
    navNext = new QToolButton;
    navNext->setArrowType(Qt::RightArrow);
    navNext->setStatusTip(QStringLiteral("Next Journal"));
    navNext->setToolTip(QStringLiteral("Next Journal"));
    pnlJournal->addWidget(dbName);
    pnlJournal->addWidget(navPrior);
    pnlJournal->addWidget(navNext);
    calDate = new QCalendarWidget;
    calDate->setGridVisible(false);
    calDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    dbGrid = new QTableView;
    dbGrid->setTabKeyNavigation(false); // Tab leaves the list; the arrows move in it
    dbGrid->setObjectName(QStringLiteral("dbGrid"));
    dbGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    dbGrid->verticalHeader()->hide();
    dbGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 0, 4);
    leftLayout->addLayout(pnlJournal);
    leftLayout->addWidget(calDate);
    leftLayout->addWidget(dbGrid, 1);

    // Right pane: the edit tool bar, the title, the editor and the preview.
    auto *right = new QWidget;
    actEditTB = new QToolBar(QStringLiteral("Edit Toolbar"));
    actEditTB->setObjectName(QStringLiteral("actEditTB"));
    actEditTB->setIconSize(QSize(20, 20));
    actEditTB->toggleViewAction()->setText(QStringLiteral("&Edit Toolbar"));
    dbTitle = new QLineEdit;
    dbTitle->setObjectName(QStringLiteral("dbTitle"));
    dbTitle->setPlaceholderText(QStringLiteral("Title"));
    dbTitle->setStatusTip(QStringLiteral("Title for the current entry (if any)"));
    dbEntry = new QPlainTextEdit;
    dbEntry->setObjectName(QStringLiteral("dbEntry"));
    dbEntry->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    dbEntry->setFont(mono);
    webBrowser = new QWidget;
    webBrowser->setObjectName(QStringLiteral("webBrowser"));
    new QVBoxLayout(webBrowser);
    splBrowser = new QSplitter(Qt::Vertical);
    splBrowser->addWidget(dbEntry);
    splBrowser->addWidget(webBrowser);
    splBrowser->setSizes({400, 0});
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 4, 4);
    rightLayout->addWidget(actEditTB);
    rightLayout->addWidget(dbTitle);
    rightLayout->addWidget(splBrowser, 1);

    splMid = new QSplitter(Qt::Horizontal);
    splMid->addWidget(left);
    splMid->addWidget(right);
    splMid->setStretchFactor(1, 1);
    splMid->setSizes({201, 553});

    memLog = new QPlainTextEdit;
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setReadOnly(true);
    memLog->setMaximumBlockCount(10000);
    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->addWidget(splMid);
    Splitter1->addWidget(memLog);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setSizes({420, 73});
    window.setCentralWidget(Splitter1);
    window.statusBar()->setObjectName(QStringLiteral("barStat"));
    lblNoJournal = new QLabel(QStringLiteral("No journal yet: Journal, New Journal ... makes one"));
    lblNoJournal->setObjectName(QStringLiteral("lblNoJournal"));
    lblNoJournal->hide();
    window.statusBar()->addWidget(lblNoJournal, 1);
}

void MainWindowLayout::setupMenus(QMainWindow &window, const MainActions &actions)
{
    const MainActions &a = actions;
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile = file;
    file->addAction(a["actRestore"]);
    file->addSeparator();
    file->addAction(a["actExit"]);
    QMenu *edit = window.menuBar()->addMenu(QStringLiteral("&Edit"));
    for (const char *name : {"actUndo", "actRedo", "actUndoDelete", "-", "actFind", "actSelAll", "actItalics",
                             "actBold", "-", "actLiveSpell"})
        *name == '-' ? (void)edit->addSeparator() : edit->addAction(a[QLatin1String(name)]);
    QMenu *journal = window.menuBar()->addMenu(QStringLiteral("&Journal"));
    for (const char *name : {"actNew", "actPreview", "actSave", "actDel"})
        journal->addAction(a[QLatin1String(name)]);
    journal->addSeparator();
    journal->addAction(a["actNewJournal"]);
    QMenu *tools = window.menuBar()->addMenu(QStringLiteral("&Tools"));
    for (const char *name : {"actJournals", "actOptions", "actPublish", "actSendAll", "actArchive", "actPurge",
                             "actBrowse", "-", "actSpell", "actThes", "actSpellOpt"})
        *name == '-' ? (void)tools->addSeparator() : tools->addAction(a[QLatin1String(name)]);
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(a["actReadMe"]);
    help->addAction(a["actAbout"]);

    // The editor's right-click menu.
    mnuEdit = new QMenu(&window);
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    for (const char *name : {"actPara", "actBR", "actURL", "actImg", "actFile", "actEntry", "actAngle", "actSpace", "-",
                             "actCut", "actCopy", "actPaste", "-", "actSpell", "actThes"})
        *name == '-' ? (void)mnuEdit->addSeparator() : mnuEdit->addAction(a[QLatin1String(name)]);
    dbEntry->setContextMenuPolicy(Qt::CustomContextMenu);
}

void MainWindowLayout::setupTray(QMainWindow &window, const MainActions &actions)
{
    m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/wren.svg")), &window);
    m_tray->setToolTip(QStringLiteral("Wren - journal publishing"));
    mnuTray = new QMenu(&window);
    mnuTrayShow = mnuTray->addAction(QStringLiteral("&Show Wren"));
    QFont bold = mnuTrayShow->font();
    bold.setBold(true);
    mnuTrayShow->setFont(bold);
    mnuTrayHide = mnuTray->addAction(QStringLiteral("&Hide Wren"));
    mnuTrayClose = mnuTray->addAction(QStringLiteral("&Minimize on Close"));
    mnuTrayClose->setCheckable(true);
    // Where no tray shows, the option must still be reachable.
    mnuFile->insertAction(actions["actExit"], mnuTrayClose);
    mnuFile->insertSeparator(actions["actExit"]);
    mnuTray->addSeparator();
    mnuTrayExit = mnuTray->addAction(QStringLiteral("E&xit"));
    mnuTrayExit->setStatusTip(QStringLiteral("Exit from Wren"));
    m_tray->setContextMenu(mnuTray);
}

void MainWindowLayout::fillToolbars(const MainActions &actions, const QStringList &main, const QStringList &edit)
{
    auto fill = [&actions](QToolBar *bar, const QStringList &names) {
        bar->clear();
        for (const QString &name : names) {
            if (name == QLatin1String("-"))
                bar->addSeparator();
            else
                bar->addAction(actions[name]);
        }
    };
    fill(actMainTB, main);
    fill(actEditTB, edit);
}

void MainWindowLayout::placeFrom(QMainWindow &window, const Settings &settings)
{
    if (settings.value(Setting::State) == 1) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    } else {
        window.move(settings.value(Setting::Left), settings.value(Setting::Top));
        window.resize(settings.value(Setting::Width), settings.value(Setting::Height));
    }
    actEditTB->setVisible(settings.value(Setting::EditToolbar));
    actMainTB->setVisible(settings.value(Setting::MainToolbar));
}

void MainWindowLayout::storePlacement(const QMainWindow &window, Settings &settings) const
{
    settings.setValue(Setting::State, window.isMaximized() ? 1 : 0);
    settings.setValue(Setting::Top, window.pos().y());
    settings.setValue(Setting::Left, window.pos().x());
    settings.setValue(Setting::Height, window.height());
    settings.setValue(Setting::Width, window.width());
    settings.setValue(Setting::EditToolbar, !actEditTB->isHidden());
    settings.setValue(Setting::MainToolbar, !actMainTB->isHidden());
}

void MainWindowLayout::showJournalState(const MainActions &actions, bool hasJournal)
{
    for (const QString &name : actions.names()) {
        const bool insert = actions.category(name) == QLatin1String("Insert") && name != QLatin1String("actFileMan");
        if (insert || name == QLatin1String("actNew") || name == QLatin1String("actBold") ||
            name == QLatin1String("actItalics"))
            actions[name]->setEnabled(hasJournal);
    }
    if (!hasJournal)
        actions["actSave"]->setEnabled(false);
    dbTitle->setReadOnly(!hasJournal);
    dbEntry->setReadOnly(!hasJournal);
    lblNoJournal->setVisible(!hasJournal);
}
