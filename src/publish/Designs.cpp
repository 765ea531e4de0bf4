#include "Designs.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

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
    // Without a feed, the lines that name it go: no link to a page that is not there.
    if (names.feed.isEmpty()) {
        QStringList lines = text.split(u'\n');
        lines.removeIf([](const QString &line) { return line.contains(QLatin1String("%FEED%")); });
        text = lines.join(u'\n');
    }
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
    QUrl url(webSite.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return {};
    url.setQuery(QString());
    url.setFragment(QString());
    QString path = url.path();
    const qsizetype slash = path.lastIndexOf(u'/');
    // "notes/index.html" names a file in the folder "notes/"; "notes" names the folder.
    if (path.mid(slash + 1).contains(u'.'))
        path.truncate(slash + 1);
    else if (!path.endsWith(u'/'))
        path += u'/';
    url.setPath(path);
    return url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

} // namespace Designs
