#include "Firewall.h"

#include "base/IniFile.h"
#include "base/Settings.h"

FirewallSettings LoadFirewall(const Settings &settings)
{
    FirewallSettings f;
    f.passive = settings.value(Setting::Pasv);
    if (!settings.value(Setting::Socks))
        return f;
    f.host = settings.value(Setting::ProxyHost);
    f.port = IniFile::parseInteger(settings.value(Setting::ProxyPort)).value_or(0);
    f.user = settings.value(Setting::ProxyUser);
    f.password = settings.value(Setting::ProxyPassword);
    f.authentication = settings.value(Setting::Authentication).compare(QLatin1String("None"), Qt::CaseInsensitive) != 0;
    const QString version = settings.value(Setting::SocksVersion);
    if (version.compare(QLatin1String("SOCKS 4.0"), Qt::CaseInsensitive) == 0)
        f.socks = FirewallSettings::Socks::Version4;
    else if (version.compare(QLatin1String("SOCKS 4.0A"), Qt::CaseInsensitive) == 0)
        f.socks = FirewallSettings::Socks::Version4A;
    else
        f.socks = FirewallSettings::Socks::Version5;
    return f;
}
