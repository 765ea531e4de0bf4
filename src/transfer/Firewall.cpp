#include "Firewall.h"

#include "base/Settings.h"

FirewallSettings LoadFirewall(const Settings &settings)
{
    FirewallSettings f;
    f.passive = settings.pasv();
    if (!settings.socks())
        return f;
    f.host = settings.proxyHost();
    f.port = settings.proxyPort();
    f.user = settings.proxyUser();
    f.password = settings.proxyPassword();
    f.authentication = settings.authentication().compare(QLatin1String("None"), Qt::CaseInsensitive) != 0;
    const QString version = settings.socksVersion();
    if (version.compare(QLatin1String("SOCKS 4.0"), Qt::CaseInsensitive) == 0)
        f.socks = FirewallSettings::Socks::Version4;
    else if (version.compare(QLatin1String("SOCKS 4.0A"), Qt::CaseInsensitive) == 0)
        f.socks = FirewallSettings::Socks::Version4A;
    else
        f.socks = FirewallSettings::Socks::Version5;
    return f;
}
