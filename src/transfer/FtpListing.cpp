#include "FtpListing.h"

#include <QRegularExpression>

namespace FtpListing {

bool showsItself(const QByteArray &listing)
{
    for (QByteArray line : listing.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('d') && line.endsWith(" ."))
            return true;
    }
    return false;
}

QHash<QString, qint64> parse(const QByteArray &listing)
{
    QHash<QString, qint64> sizes;
    for (QByteArray line : listing.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QString text = QString::fromUtf8(line);
        if (line.contains(';') && text.contains(QLatin1String("type="), Qt::CaseInsensitive)) {
            // MLSD: facts separated by ";", a blank, the name.
            const qsizetype blank = text.indexOf(QLatin1String("; "));
            if (blank < 0)
                continue;
            qint64 size = -1;
            bool isFile = false;
            for (const QString &fact : text.left(blank).split(u';')) {
                const QString key = fact.section(u'=', 0, 0).toLower();
                const QString value = fact.section(u'=', 1);
                if (key == u"type")
                    isFile = value.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
                else if (key == u"size")
                    size = value.toLongLong();
            }
            if (isFile && size >= 0)
                sizes.insert(text.mid(blank + 2), size);
            continue;
        }
        // The long form: mode, links, owner, group, size, three fields of
        // date, then the name, which may hold blanks.
        if (!line.startsWith('-'))
            continue;
        static const QRegularExpression form(
            QStringLiteral("^\\S+\\s+\\d+\\s+\\S+\\s+\\S+\\s+(\\d+)\\s+\\S+\\s+\\S+\\s+\\S+\\s(.+)$"));
        const QRegularExpressionMatch m = form.match(text);
        if (m.hasMatch())
            sizes.insert(m.captured(2), m.captured(1).toLongLong());
    }
    return sizes;
}

} // namespace FtpListing
