#include "CalendarMarks.h"

#include "data/Statements.h"
#include "engine/Database.h"

#include <QCalendarWidget>
#include <QSqlQuery>
#include <QTextCharFormat>

void CalendarMarks::markEntryDays(QCalendarWidget *calendar, Database &db, int journal)
{
    calendar->setDateTextFormat(QDate(), QTextCharFormat()); // drops every mark
    if (journal == 0 || !db.isOpen())
        return;
    const QDate first(calendar->yearShown(), calendar->monthShown(), 1);
    const QDate last = first.addMonths(1).addDays(-1);
    QSqlQuery days = db.run(Statements::archiveDays(journal, first, last, false));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    while (days.next()) {
        const QDate day = days.value(0).toDate();
        if (day.isValid())
            calendar->setDateTextFormat(day, bold);
    }
}
