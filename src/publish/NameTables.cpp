#include "NameTables.h"

#include "base/Settings.h"

NameTables NameTables::fromLocale()
{
    NameTables t;
    for (int n = 1; n <= 7; ++n) {
        t.shortDays[n - 1] = Settings::localeDayName(n, false);
        t.longDays[n - 1] = Settings::localeDayName(n, true);
    }
    for (int n = 1; n <= 12; ++n) {
        t.shortMonths[n - 1] = Settings::localeMonthName(n, false);
        t.longMonths[n - 1] = Settings::localeMonthName(n, true);
    }
    return t;
}

NameTables NameTables::fromSettings(const Settings &settings)
{
    NameTables t;
    for (int n = 1; n <= 7; ++n) {
        t.shortDays[n - 1] = settings.value(Setting::ShortDay, n);
        t.longDays[n - 1] = settings.value(Setting::LongDay, n);
    }
    for (int n = 1; n <= 12; ++n) {
        t.shortMonths[n - 1] = settings.value(Setting::ShortMonth, n);
        t.longMonths[n - 1] = settings.value(Setting::LongMonth, n);
    }
    return t;
}

namespace {
NameTables &installed()
{
    static NameTables tables = NameTables::fromLocale();
    return tables;
}
} // namespace

const NameTables &NameTables::current()
{
    return installed();
}

void NameTables::install(const NameTables &tables)
{
    installed() = tables;
}
