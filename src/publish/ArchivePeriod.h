#pragma once

#include <QDate>
#include <QString>

// Archive periods: weeks from Sunday to Saturday when the journal's archive type
// is exactly "Weekly", calendar months for any other text.
namespace ArchivePeriod {

bool isWeekly(const QString &arcType);
QDate PeriodStart(const QDate &day, const QString &arcType);
QDate PeriodEnd(const QDate &day, const QString &arcType);
// "arc" and the period's first day as yyyymmdd: the base name of its archive page.
QString ArchiveName(const QDate &day, const QString &arcType);

} // namespace ArchivePeriod
