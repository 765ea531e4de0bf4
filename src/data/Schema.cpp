#include "Schema.h"

#include "base/WrenError.h"

namespace Schema {

namespace {

using T = FieldType;

std::vector<Table> buildTables()
{
    return {
        {"Names",
         "Names.DAT",
         {{"ID", T::AutoIncrement},
          {"Name", T::String, 50},
          {"Reverse", T::Boolean},
          {"DtFormat", T::String, 30},
          {"TmFormat", T::String, 30},
          {"ArcDtFormat", T::String, 30},
          {"ArcType", T::String, 10},
          {"ArcReverse", T::Boolean},
          {"WebSite", T::String, 250},
          {"Author", T::String, 30}}},
        {"Templates",
         "Templates.DAT",
         {{"ID", T::AutoIncrement},
          {"Name", T::String, 50},
          {"Template", T::Memo},
          {"FileDir", T::String, 250},
          {"FileMod", T::DateTime}}},
        {"Journal",
         "Journal.DAT",
         {{"Name", T::Integer, 0, true},
          {"eDate", T::Date, 0, true},
          {"eTime", T::Time, 0, true},
          {"Entry", T::Memo},
          {"ID", T::AutoIncrement, 0, true},
          {"Author", T::String, 30},
          {"Title", T::Memo}}},
        {"Cookie", "Cookie.DAT", {{"ID", T::AutoIncrement}, {"Cookie", T::Memo}}},
        {"Sites",
         "Sites.DAT",
         {{"ID", T::AutoIncrement},
          {"Name", T::String, 50},
          {"FTP", T::String, 250},
          {"Login", T::String, 100},
          {"Password", T::String, 50},
          {"Port", T::Integer},
          {"Active", T::Boolean}}},
        {"Upload",
         "Upload.DAT",
         {{"ID", T::AutoIncrement},
          {"Journal", T::Integer},
          {"Site", T::Integer},
          {"Template", T::Integer},
          {"ArcTemplate", T::Integer},
          {"LogFile", T::String, 250},
          {"ArcFile", T::String, 250},
          {"Directory", T::String, 250},
          {"Active", T::Boolean},
          {"ArcExt", T::String, 10},
          {"AutoArc", T::Boolean},
          {"LastArc", T::Date},
          {"ImageDir", T::String, 250}}},
    };
}

QString constraint(const QString &reason, const QString &condition)
{
    return QStringLiteral(" CONSTRAINT \"%1\" CHECK (%2)").arg(reason, condition);
}

// A check passes when its condition is NULL, so every condition below lets an
// empty (NULL) optional field through.
QString columnDefinition(const Field &f)
{
    const QString &n = f.name;
    if (f.type == FieldType::AutoIncrement)
        return n + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");

    const bool isText = f.type != FieldType::Integer && f.type != FieldType::Boolean;
    QString column = n + (isText ? QStringLiteral(" TEXT") : QStringLiteral(" INTEGER"));
    if (f.required) {
        column += QStringLiteral(" NOT NULL");
        column += constraint(n + QStringLiteral(" is required"), n + QStringLiteral(" <> ''"));
    }
    const QString digit = QStringLiteral("[0-9]");
    const QString date = digit.repeated(4) + u'-' + digit.repeated(2) + u'-' + digit.repeated(2);
    const QString time = digit.repeated(2) + u':' + digit.repeated(2) + u':' + digit.repeated(2);
    switch (f.type) {
    case FieldType::Integer:
        column += constraint(n + QStringLiteral(" must be a whole number"),
                             QStringLiteral("typeof(%1) IN ('integer', 'null')").arg(n));
        break;
    case FieldType::Boolean:
        column += constraint(n + QStringLiteral(" must be 0 or 1"), n + QStringLiteral(" IN (0, 1)"));
        break;
    case FieldType::Date:
        column += constraint(n + QStringLiteral(" must be a date YYYY-MM-DD"),
                             QStringLiteral("%1 = '' OR %1 GLOB '%2'").arg(n, date));
        break;
    case FieldType::Time:
        column += constraint(n + QStringLiteral(" must be a time HH:MM:SS"),
                             QStringLiteral("%1 = '' OR %1 GLOB '%2'").arg(n, time));
        break;
    case FieldType::DateTime:
        column += constraint(n + QStringLiteral(" must be a date-time YYYY-MM-DD HH:MM:SS.zzz"),
                             QStringLiteral("%1 = '' OR %1 GLOB '%2 %3.%4'").arg(n, date, time, digit.repeated(3)));
        break;
    case FieldType::String:
        column += constraint(n + QStringLiteral(" is longer than %1 characters").arg(f.size),
                             QStringLiteral("length(%1) <= %2").arg(n).arg(f.size));
        break;
    case FieldType::Memo:
    case FieldType::AutoIncrement:
        break;
    }
    return column;
}

} // namespace

const std::vector<Table> &tables()
{
    static const std::vector<Table> all = buildTables();
    return all;
}

const Table &table(const QString &name)
{
    for (const Table &t : tables()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    }
    throw WrenError(QStringLiteral("No table named %1").arg(name));
}

QStringList createStatements(const Table &table)
{
    QStringList columns;
    for (const Field &f : table.fields)
        columns << QStringLiteral("    ") + columnDefinition(f);
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (\n%2\n)").arg(table.name, columns.join(QStringLiteral(",\n")))};
    // Every page build and the entry query look entries up by journal and day.
    if (table.name == QLatin1String("Journal"))
        statements << QStringLiteral("CREATE INDEX JournalByDay ON Journal (Name, eDate, eTime)");
    return statements;
}

} // namespace Schema
