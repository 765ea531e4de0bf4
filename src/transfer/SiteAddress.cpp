#include "SiteAddress.h"

namespace {

struct Scheme {
    SiteKind kind;
    const char *prefix;
};

const Scheme kSchemes[] = {
    {SiteKind::Sftp, "sftp://"}, {SiteKind::Ftps, "ftps://"}, {SiteKind::Ftpes, "ftpes://"}, {SiteKind::Ftp, "ftp://"}};

// The length of the scheme that begins the field, or 0.
qsizetype schemeLength(const QString &field, SiteKind *kind)
{
    for (const Scheme &scheme : kSchemes) {
        const QLatin1String prefix(scheme.prefix);
        if (field.startsWith(prefix, Qt::CaseInsensitive)) {
            if (kind)
                *kind = scheme.kind;
            return prefix.size();
        }
    }
    return 0;
}

} // namespace

SiteAddress SiteAddress::parse(const QString &field, int storedPort)
{
    SiteAddress address;
    const QString text = field.trimmed();
    const qsizetype skip = schemeLength(text, &address.kind);
    if (skip == 0 && text.contains(QLatin1String("://"))) {
        address.problem =
            QStringLiteral("Unknown protocol in the site's host: ") + text.section(QLatin1String("://"), 0, 0);
        return address;
    }
    address.host = text.mid(skip);
    if (const qsizetype at = address.host.lastIndexOf(u'@'); at >= 0) {
        address.problem = address.host.left(at).contains(u':')
                              ? QStringLiteral("The host holds a login and password: put them in the Login and "
                                               "Password fields")
                              : QStringLiteral("The host holds a login: put it in the Login field");
        address.host = address.host.mid(at + 1);
        return address;
    }
    // A trailing "/" after the host is harmless; a path is not a host.
    while (skip > 0 && address.host.endsWith(u'/'))
        address.host.chop(1);
    if (address.host.isEmpty() || address.host.contains(u'/'))
        address.problem = QStringLiteral("The site's host must be a host name or address, not a path: ") + text;
    address.port = storedPort == 0 && skip > 0 ? defaultPort(address.kind) : storedPort;
    return address;
}

QString SiteAddress::shown(const QString &field)
{
    const QString &text = field;
    const qsizetype skip = schemeLength(text, nullptr);
    const qsizetype at = text.lastIndexOf(u'@');
    return at < skip ? text : text.left(skip) + text.mid(at + 1);
}

QString SiteAddress::kindName(SiteKind kind)
{
    switch (kind) {
    case SiteKind::Ftps:
        return QStringLiteral("ftps");
    case SiteKind::Ftpes:
        return QStringLiteral("ftpes");
    case SiteKind::Sftp:
        return QStringLiteral("sftp");
    case SiteKind::Ftp:
        break;
    }
    return QStringLiteral("ftp");
}

int SiteAddress::defaultPort(SiteKind kind)
{
    switch (kind) {
    case SiteKind::Sftp:
        return 22;
    case SiteKind::Ftps:
        return 990;
    case SiteKind::Ftp:
    case SiteKind::Ftpes:
        break;
    }
    return 21;
}

QString SiteAddress::withKind(const QString &field, SiteKind kind)
{
    const QString host = field.trimmed().mid(schemeLength(field.trimmed(), nullptr));
    return kind == SiteKind::Ftp ? host : kindName(kind) + QLatin1String("://") + host;
}

SiteKind SiteAddress::kindOf(const QString &field)
{
    SiteKind kind = SiteKind::Ftp;
    schemeLength(field.trimmed(), &kind);
    return kind;
}
