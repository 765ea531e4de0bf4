#include "UploadRow.h"

#include "data/RecordField.h"

using namespace RecordField;

UploadRow UploadRow::fromRecord(const QSqlRecord &row)
{
    UploadRow u;
    u.ftp = text(row, "FTP");
    u.login = text(row, "Login");
    u.password = text(row, "Password");
    u.port = integer(row, "Port");
    u.siteActive = flag(row, "Active");
    u.templateId = integer(row, "Template");
    u.arcTemplateId = integer(row, "ArcTemplate");
    u.logFile = text(row, "LogFile");
    u.arcFile = text(row, "ArcFile");
    u.directory = text(row, "Directory");
    u.arcExt = text(row, "ArcExt");
    if (row.indexOf(QStringLiteral("AutoArc")) >= 0)
        u.autoArc = flag(row, "AutoArc");
    if (row.indexOf(QStringLiteral("LastArc")) >= 0)
        u.lastArc = QDate::fromString(text(row, "LastArc"), Qt::ISODate);
    if (row.indexOf(QStringLiteral("ID")) >= 0)
        u.id = integer(row, "ID");
    if (row.indexOf(QStringLiteral("ImageDir")) >= 0)
        u.imageDir = text(row, "ImageDir");
    return u;
}
