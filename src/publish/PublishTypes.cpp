#include "PublishTypes.h"

#include "base/IniFile.h"
#include "base/Settings.h"
#include "engine/Database.h"

namespace {

QString text(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toString();
}

bool flag(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toInt() != 0;
}

int integer(const QSqlRecord &row, const char *field)
{
    return row.value(QLatin1String(field)).toInt();
}

} // namespace

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

std::optional<JournalSettings> JournalSettings::load(const Database &db, int id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Names WHERE ID=") + QString::number(id));
    if (!row)
        return std::nullopt;
    return fromRecord(*row);
}

std::optional<JournalSettings> JournalSettings::first(const Database &db)
{
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Names ORDER BY ID LIMIT 1"));
    if (!row)
        return std::nullopt;
    return fromRecord(*row);
}

PublishOptions PublishOptions::fromSettings(const Settings &settings)
{
    PublishOptions o;
    o.days = IniFile::parseInteger(settings.days().trimmed()).value_or(7);
    o.historyDays = settings.historyDays();
    o.autoinsertTag = settings.autoinsertTag();
    o.randomCookies = settings.randomCookies();
    o.keepArchivesCurrent = settings.keepArchivesCurrent();
    return o;
}

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
