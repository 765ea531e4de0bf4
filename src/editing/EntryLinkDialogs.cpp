#include "EntryLinkDialogs.h"

#include "ui/DialogPlacement.h"
#include "data/Statements.h"
#include "editing/CalendarMarks.h"
#include "editor/HtmlSyntaxHighlighter.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QTableWidget *listOf(const QStringList &headers)
{
    auto *list = new QTableWidget(0, static_cast<int>(headers.size()));
    list->setTabKeyNavigation(false); // Tab leaves the list; the arrows move in it
    list->setHorizontalHeaderLabels(headers);
    list->verticalHeader()->hide();
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The columns share the width: no horizontal scroll bar for columns that fit.
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return list;
}

QPlainTextEdit *entryPane()
{
    auto *pane = new QPlainTextEdit;
    pane->setReadOnly(true);
    pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return pane;
}

QString storedToEditor(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

TdlgEntries::TdlgEntries(Database &db, QWidget *parent)
    : QDialog(parent), tblJot(db, QStringLiteral("Journal")), m_db(db)
{
    setObjectName(QStringLiteral("dlgEntries"));
    setWindowTitle(QStringLiteral("Link to Entry"));
    calDate = new QCalendarWidget;
    calDate->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    dbGrid = listOf({QStringLiteral("Date"), QStringLiteral("Time")});
    dbEntry = entryPane();
    auto *OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setDefault(true);
    auto *CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    // Keys, month arrows and the year box move the day as a click does.
    connect(calDate, &QCalendarWidget::selectionChanged, this, [this] {
        if (calDate->selectedDate() != m_day)
            showDay(m_journal, calDate->selectedDate());
    });
    // Another month on view (its menu, the year box): the same day of that month.
    connect(calDate, &QCalendarWidget::currentPageChanged, this, [this](int year, int month) {
        CalendarMarks::markEntryDays(calDate, m_db, m_journal);
        if (m_day.year() == year && m_day.month() == month)
            return;
        const QDate first(year, month, 1);
        showDay(m_journal, QDate(year, month, std::min(m_day.day(), first.daysInMonth())));
    });
    // Return in the calendar chooses the day and is OK, as everywhere else in the dialog.
    connect(calDate, &QCalendarWidget::activated, this, &QDialog::accept);
    connect(dbGrid, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    auto *left = new QVBoxLayout;
    left->addWidget(calDate);
    left->addWidget(dbGrid, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *right = new QVBoxLayout;
    right->addWidget(dbEntry, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    DialogPlacement::fixSize(this, QSize(720, 420));
    DialogPlacement::centreOnScreen(this);
    calDate->setFocus(); // the arrows pick the day, Enter links to it
    tblJot.setFilter(QStringLiteral("ID=0"));
    tblJot.open();
}

void TdlgEntries::showDay(int journalId, const QDate &day)
{
    const bool marks = journalId != m_journal || !m_day.isValid();
    m_journal = journalId;
    m_day = day;
    calDate->setSelectedDate(day);
    if (marks)
        CalendarMarks::markEntryDays(calDate, m_db, m_journal);
    tblJot.setFilter(Statements::entriesOfDayFilter(journalId, day));
    tblJot.refresh();
    dbGrid->setRowCount(tblJot.recordCount());
    for (int row = 0; row < tblJot.recordCount(); ++row) {
        dbGrid->setItem(row, 0, new QTableWidgetItem(tblJot.valueAt(row, QStringLiteral("eDate")).toString()));
        dbGrid->setItem(row, 1, new QTableWidgetItem(tblJot.valueAt(row, QStringLiteral("eTime")).toString()));
    }
    dbEntry->clear();
    if (tblJot.recordCount() > 0)
        dbGrid->selectRow(0);
    showRow(tblJot.recordCount() > 0 ? 0 : -1);
}

void TdlgEntries::showRow(int row)
{
    dbEntry->setPlainText(row >= 0 && row < tblJot.recordCount()
                              ? storedToEditor(tblJot.valueAt(row, QStringLiteral("Entry")).toString())
                              : QString());
}

std::optional<LinkTarget> TdlgEntries::selected() const
{
    const int row = dbGrid->currentRow() >= 0 ? dbGrid->currentRow() : 0;
    if (row >= tblJot.recordCount())
        return std::nullopt;
    return LinkTarget{tblJot.valueAt(row, QStringLiteral("ID")).toLongLong(),
                      QDate::fromString(tblJot.valueAt(row, QStringLiteral("eDate")).toString(), Qt::ISODate),
                      tblJot.valueAt(row, QStringLiteral("Title")).toString()};
}

TfrmFind::TfrmFind(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    edFind = new QLineEdit;
    edFind->setToolTip(QStringLiteral("Search text (case-sensitive)"));
    edFind->setMinimumWidth(260);
    rbCurr = new QRadioButton(QStringLiteral("Current Journal"));
    rbCurr->setChecked(true);
    rbAll = new QRadioButton(QStringLiteral("All Journals"));
    chkCase = new QCheckBox(QStringLiteral("Case sensitive"));
    btnFind = new QPushButton(QStringLiteral("&Find"));
    btnFind->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"));
    connect(btnFind, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Find")), 0, 0);
    grid->addWidget(edFind, 0, 1, 1, 2);
    grid->addWidget(btnFind, 0, 3);
    grid->addWidget(rbCurr, 1, 1);
    grid->addWidget(rbAll, 2, 1);
    grid->addWidget(chkCase, 1, 2);
    grid->addWidget(btnCancel, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    // Tab takes the search, where to look and the letter case, then the buttons.
    setTabOrder(edFind, rbCurr);
    setTabOrder(rbCurr, rbAll);
    setTabOrder(rbAll, chkCase);
    setTabOrder(chkCase, btnFind);
    setTabOrder(btnFind, btnCancel);
}

void TfrmFind::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Each Find starts in the search text, ready to be typed over.
    edFind->setFocus();
    edFind->selectAll();
}

TfrmList::TfrmList(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmList"));
    setWindowTitle(QStringLiteral("Entry List"));
    dbList = listOf({QStringLiteral("Journal"), QStringLiteral("Title"), QStringLiteral("Author"),
                     QStringLiteral("Date"), QStringLiteral("Time")});
    // The title takes the room the other columns leave.
    for (int column : {0, 2, 3, 4})
        dbList->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    dbEntry = entryPane();
    marker = new HtmlSyntaxHighlighter(dbEntry->document());
    btnLink = new QPushButton(QStringLiteral("&Link"));
    btnOK = new QPushButton(QStringLiteral("&OK"));
    // Enter and Escape both mean OK here: Link never becomes the default,
    // not even after it has been used.
    btnLink->setAutoDefault(false);
    btnOK->setAutoDefault(false);
    btnOK->setDefault(true);
    connect(btnLink, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbList, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnLink);
    buttons->addWidget(btnOK);
    auto *right = new QVBoxLayout;
    right->addWidget(dbEntry, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(dbList, 1);
    layout->addLayout(right, 1);
    resize(820, 440);
}

void TfrmList::showResults(Database &db, const QString &statement, const QString &word)
{
    m_hits.clear();
    dbList->setRowCount(0);
    marker->setSearchWord(word);
    QSqlQuery query = db.run(statement);
    while (query.next()) {
        const int row = dbList->rowCount();
        dbList->insertRow(row);
        // The list's columns: journal, title, author, day, time.
        const char *const shown[] = {"Name", "Title", "Author", "eDate", "eTime"};
        for (int column = 0; column < 5; ++column)
            dbList->setItem(row, column, new QTableWidgetItem(query.value(QLatin1String(shown[column])).toString()));
        m_hits.push_back({query.value(QStringLiteral("ID")).toLongLong(),
                          QDate::fromString(query.value(QStringLiteral("eDate")).toString(), Qt::ISODate),
                          query.value(QStringLiteral("Entry")).toString(),
                          query.value(QStringLiteral("Title")).toString()});
    }
    if (!m_hits.empty())
        dbList->selectRow(0);
    showRow(m_hits.empty() ? -1 : 0);
}

void TfrmList::showRow(int row)
{
    dbEntry->setPlainText(row >= 0 && row < static_cast<int>(m_hits.size()) ? storedToEditor(m_hits[row].entry)
                                                                            : QString());
}

int TfrmList::count() const
{
    return static_cast<int>(m_hits.size());
}

std::optional<LinkTarget> TfrmList::selected() const
{
    if (m_hits.empty())
        return std::nullopt;
    const int row = dbList->currentRow() >= 0 ? dbList->currentRow() : 0;
    return LinkTarget{m_hits[row].id, m_hits[row].day, m_hits[row].title};
}
