#include "JournalSettings.h"

#include "data/RecordField.h"

using namespace RecordField;

JournalSettings JournalSettings::fromRecord(const QSqlRecord &row)
{
    JournalSettings j;
    j.id = integer(row, "ID");
    j.name = text(row, "Name");
    j.dtFormat = text(row, "DtFormat");
    j.tmFormat = text(row, "TmFormat");
    j.arcDtFormat = text(row, "ArcDtFormat");
    j.arcType = text(row, "ArcType");
    j.webSite = text(row, "WebSite");
    j.author = text(row, "Author");
    j.reverse = flag(row, "Reverse");
    j.arcReverse = flag(row, "ArcReverse");
    return j;
}
