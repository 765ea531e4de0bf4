#include "PublishTypes.h"

#include "base/IniFile.h"
#include "base/Settings.h"

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
