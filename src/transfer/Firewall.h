#pragma once

#include <QString>

class Settings;

// The passive flag and proxy of the FTP session, as the Firewall section of the
// settings file gives them.
struct FirewallSettings {
    enum class Socks { None, Version4, Version4A, Version5 };

    bool passive = false;
    Socks socks = Socks::None;
    QString host;
    int port = 0;
    bool authentication = false; // user name and password
    QString user;
    QString password;

    bool operator==(const FirewallSettings &) const = default;
};

// Reads the Firewall section: PASV; with Socks on, the proxy's host, port,
// user, password, authentication ("None" ignoring case is none, anything else
// user and password) and version ("SOCKS 4.0" and "SOCKS 4.0A" ignoring case,
// any other text SOCKS 5); with Socks off, no proxy.
FirewallSettings LoadFirewall(const Settings &settings);
