#include "StartupWindow.h"

#include "engine/Database.h"
#include "engine/TableHandle.h"

#include <QLabel>
#include <QListWidget>
#include <QSqlQuery>
#include <QVBoxLayout>

StartupWindow::StartupWindow(Database &database, QWidget *parent)
    : QMainWindow(parent), m_db(database), m_heading(new QLabel(this)), m_entries(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Wren"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    m_heading->setTextFormat(Qt::PlainText);
    QFont headingFont = m_heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    layout->addWidget(m_heading);
    layout->addWidget(m_entries);
    setCentralWidget(central);
    resize(754, 568);
}

void StartupWindow::showFirstJournal()
{
    TableHandle names(m_db, QStringLiteral("Names"));
    names.open();
    m_journalId = names.isEmpty() ? 0 : names.value(QStringLiteral("ID")).toInt();
    m_entries->clear();
    if (m_journalId == 0) {
        m_heading->setText(tr("No journal yet"));
        return;
    }

    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("SELECT eDate, eTime, Title, Entry FROM Journal WHERE Name=? "
                                 "ORDER BY eDate DESC, eTime DESC LIMIT 50"));
    query.addBindValue(m_journalId);
    m_db.run(query);
    int shown = 0;
    while (query.next()) {
        QString title = query.value(2).toString();
        if (title.isEmpty())
            title = query.value(3).toString().simplified().left(80);
        m_entries->addItem(
            QStringLiteral("%1  %2   %3").arg(query.value(0).toString(), query.value(1).toString(), title));
        ++shown;
    }
    QSqlQuery count =
        m_db.run(QStringLiteral("SELECT COUNT(*) FROM Journal WHERE Name=") + QString::number(m_journalId));
    const int total = count.next() ? count.value(0).toInt() : 0;
    m_heading->setText(tr("%1 — %n entries", nullptr, total).arg(names.value(QStringLiteral("Name")).toString()));
}
