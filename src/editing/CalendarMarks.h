#pragma once

class Database;
class QCalendarWidget;

namespace CalendarMarks {

// Shows in bold the days of the month on view that hold entries of the
// journal; journal 0 or a closed database marks nothing. Every earlier mark goes.
void markEntryDays(QCalendarWidget *calendar, Database &db, int journal);

} // namespace CalendarMarks
