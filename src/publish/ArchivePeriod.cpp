#include "ArchivePeriod.h"

#include "publish/FormatDate.h"

namespace ArchivePeriod {

namespace {
// Sunday = 1 .. Saturday = 7.
int weekday(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1;
}
} // namespace

bool isWeekly(const QString &arcType)
{
    return arcType == QLatin1String("Weekly");
}

QDate PeriodStart(const QDate &day, const QString &arcType)
{
    if (isWeekly(arcType))
        return day.addDays(-(weekday(day) - 1));
    return day.addDays(-(day.day() - 1));
}

QDate PeriodEnd(const QDate &day, const QString &arcType)
{
    if (isWeekly(arcType))
        return day.addDays(7 - weekday(day));
    return day.addDays(day.daysInMonth() - day.day());
}

QString ArchiveName(const QDate &day, const QString &arcType)
{
    return QStringLiteral("arc") + FormatDate(QStringLiteral("yyyymmdd"), PeriodStart(day, arcType));
}

} // namespace ArchivePeriod
