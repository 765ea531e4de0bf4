#include "NameLookup.h"

#include "transfer/FtpClient.h"

#include <QStringList>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

bool isAddress(const QString &host)
{
    unsigned char buffer[16];
    const QByteArray text = host.toLatin1();
    return ::inet_pton(AF_INET, text.constData(), buffer) == 1 || ::inet_pton(AF_INET6, text.constData(), buffer) == 1;
}

} // namespace

namespace NameLookup {

QByteArray resolveLine(const QString &host, int port)
{
    if (isAddress(host))
        return QByteArray();
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (status != 0 || !found) {
        if (found)
            ::freeaddrinfo(found);
        throw FtpFailure(status == EAI_NODATA ? QStringLiteral("Valid name, no data record of requested type")
                                              : QStringLiteral("Host not found"));
    }
    QStringList addresses;
    for (addrinfo *a = found; a; a = a->ai_next) {
        char text[INET6_ADDRSTRLEN] = {};
        const void *raw = a->ai_family == AF_INET6
                              ? static_cast<const void *>(&reinterpret_cast<sockaddr_in6 *>(a->ai_addr)->sin6_addr)
                              : static_cast<const void *>(&reinterpret_cast<sockaddr_in *>(a->ai_addr)->sin_addr);
        if (::inet_ntop(a->ai_family, raw, text, sizeof text)) {
            const QString address = QString::fromLatin1(text);
            const QString entry = a->ai_family == AF_INET6 ? u'[' + address + u']' : address;
            if (!addresses.contains(entry))
                addresses << entry;
        }
    }
    ::freeaddrinfo(found);
    return QStringLiteral("%1:%2:%3").arg(host).arg(port).arg(addresses.join(u',')).toUtf8();
}

} // namespace NameLookup
