#pragma once

#include <QByteArray>
#include <QString>

// The host name of a site looked up once, before libcurl connects, so that a
// failure is named from this look-up and libcurl is given the addresses.
namespace NameLookup {

// The CURLOPT_RESOLVE line ("host:port:address,address") for the host;
// empty when the host is an address already. Throws FtpFailure when the name
// has no address.
QByteArray resolveLine(const QString &host, int port);

} // namespace NameLookup
