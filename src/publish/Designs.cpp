#include "Designs.h"

#include <QFile>

static void initDesignResources()
{
    Q_INIT_RESOURCE(designs);
}

namespace Designs {

namespace {

QString resource(const QString &name)
{
    static const bool loaded = (initDesignResources(), true);
    Q_UNUSED(loaded);
    QFile file(QStringLiteral(":/designs/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString fill(QString text, const Names &names)
{
    text.replace(QLatin1String("%TITLE%"), escaped(names.title));
    text.replace(QLatin1String("%AUTHOR%"), escaped(names.author));
    text.replace(QLatin1String("%PAGE%"), escaped(names.page));
    text.replace(QLatin1String("%ARCHIVE%"), escaped(names.archive));
    text.replace(QLatin1String("%FEED%"), escaped(names.feed));
    text.replace(QLatin1String("%EXT%"), escaped(names.pageExt));
    text.replace(QLatin1String("%BASE%"), escaped(siteBase(names.siteUrl)));
    return text;
}

} // namespace

QList<Design> all()
{
    return {
        {QStringLiteral("fieldnotes"), QStringLiteral("Field Notes"),
         QStringLiteral("A single column in a serif face on warm paper")},
        {QStringLiteral("notebook"), QStringLiteral("Notebook"),
         QStringLiteral("Entries on cards, with archives and the feed in a side column")},
    };
}

Templates templates(const QString &key, const Names &names)
{
    for (const Design &design : all()) {
        if (design.key == key)
            return {fill(resource(key + QStringLiteral("/page.html")), names),
                    fill(resource(key + QStringLiteral("/index.html")), names)};
    }
    return {};
}

QString feedTemplate(const Names &names)
{
    return fill(resource(QStringLiteral("feed.xml")), names);
}

QString siteBase(const QString &webSite)
{
    const QString site = webSite.trimmed();
    const qsizetype scheme = site.indexOf(QLatin1String("://"));
    if (scheme <= 0 || site.size() <= scheme + 3)
        return QStringLiteral("http://localhost/");
    const qsizetype slash = site.lastIndexOf(u'/');
    if (slash <= scheme + 2) // "http://example.org": the host alone
        return site + u'/';
    return site.left(slash + 1);
}

} // namespace Designs
