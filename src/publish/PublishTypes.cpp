#include "PublishTypes.h"

#include "base/IniFile.h"
#include "base/Settings.h"

PublishOptions PublishOptions::fromSettings(const Settings &settings)
{
    PublishOptions o;
    o.days = IniFile::parseInteger(settings.value(Setting::Days).trimmed()).value_or(7);
    o.historyDays = settings.value(Setting::HistoryDays);
    o.autoinsertTag = settings.value(Setting::AutoinsertTag);
    o.randomCookies = settings.value(Setting::RandomCookies);
    o.keepArchivesCurrent = settings.value(Setting::KeepArchivesCurrent);
    return o;
}
