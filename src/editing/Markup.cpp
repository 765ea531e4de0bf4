#include "Markup.h"

#include "data/Statements.h"
#include "base/WrenError.h"
#include "publish/ArchivePeriod.h"

namespace Markup {

QString Paragraph(const QString &s)
{
    return QStringLiteral("<p>") + s + QStringLiteral("</p>");
}

QString LineBreak(const QString &s)
{
    return s + QStringLiteral("<br>");
}

QString AngleBrackets(const QString &s)
{
    return QStringLiteral("&lt;") + s + QStringLiteral("&gt;");
}

QString Space(const QString &s)
{
    return s + QStringLiteral("&nbsp;");
}

QString Bold(const QString &s)
{
    return QStringLiteral("<b>") + s + QStringLiteral("</b>");
}

QString Italics(const QString &s)
{
    return QStringLiteral("<i>") + s + QStringLiteral("</i>");
}

QString Hyperlink(const QString &s, const QString &url, bool prependHttp, bool newWindow)
{
    const QString target = (prependHttp ? QStringLiteral("http://") : QString()) + url;
    return QStringLiteral("<a href=\"") + target +
           (newWindow ? QStringLiteral("\" target=_blank>") : QStringLiteral("\">")) + s + QStringLiteral("</a>");
}

QString Image(const QString &s, const QString &path, bool actualSize, const QString &width, const QString &height)
{
    QString text = s + QStringLiteral("<img src=\"") + FileNamePart(path) + u'"';
    if (actualSize)
        return text + u'>';
    return text + QStringLiteral(" width=\"") + width + QStringLiteral("\" height=\"") + height + QStringLiteral("\">");
}

QString FileLink(const QString &s, const QString &path)
{
    return QStringLiteral("<a href=\"") + FileNamePart(path) + QStringLiteral("\">") + s + QStringLiteral("</a>");
}

QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType)
{
    const QString target =
        ArchivePeriod::ArchiveName(day, arcType) + QStringLiteral(".<$WrenExt>#WrenID") + QString::number(id);
    return QStringLiteral("<a href=\"") + target + QStringLiteral("\">") + s + QStringLiteral("</a>");
}

QString FileNamePart(const QString &path)
{
    const qsizetype cut = std::max({path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'), path.lastIndexOf(u':')});
    return path.mid(cut + 1);
}

} // namespace Markup

namespace MarkdownMarkup {

QString Paragraph(const QString &s)
{
    return s.isEmpty() ? QStringLiteral("\n\n") : QStringLiteral("\n\n") + s + QStringLiteral("\n\n");
}

QString LineBreak(const QString &s)
{
    return s + QStringLiteral("\\\n");
}

QString Bold(const QString &s)
{
    return QStringLiteral("**") + s + QStringLiteral("**");
}

QString Italics(const QString &s)
{
    return u'*' + s + u'*';
}

QString Destination(const QString &address)
{
    int depth = 0;
    bool plain = !address.startsWith(u'<');
    for (const QChar c : address) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F)
            plain = false;
        else if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 0)
            plain = false;
    }
    if (plain && depth == 0)
        return address;
    QString inside = address;
    inside.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'<', QLatin1String("\\<"))
        .replace(u'>', QLatin1String("\\>"));
    inside.replace(u'\n', u' ');
    return u'<' + inside + u'>';
}

QString Hyperlink(const QString &s, const QString &url, bool prependHttp, bool newWindow)
{
    if (newWindow)
        return Markup::Hyperlink(s, url, prependHttp, true);
    const QString target = (prependHttp ? QStringLiteral("http://") : QString()) + url;
    return u'[' + s + QStringLiteral("](") + Destination(target) + u')';
}

QString Image(const QString &s, const QString &path, bool actualSize, const QString &width, const QString &height)
{
    if (!actualSize)
        return Markup::Image(s, path, false, width, height);
    const QString name = Markup::FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString alt = dot > 0 ? name.left(dot) : name;
    return s + QStringLiteral("![") + alt + QStringLiteral("](") + Destination(name) + u')';
}

QString FileLink(const QString &s, const QString &path)
{
    return u'[' + s + QStringLiteral("](") + Destination(Markup::FileNamePart(path)) + u')';
}

QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType)
{
    return u'[' + s + QStringLiteral("](") + ArchivePeriod::ArchiveName(day, arcType) +
           QStringLiteral(".<$WrenExt>#WrenID") + QString::number(id) + u')';
}

} // namespace MarkdownMarkup

QString PurgeStatement(const PurgeRequest &request, int journalId, const QDate &today)
{
    switch (request.choice) {
    case PurgeRequest::Choice::All:
        return Statements::purgeEntries(journalId);
    case PurgeRequest::Choice::OlderThan: {
        bool ok = false;
        const int days = request.days.trimmed().toInt(&ok);
        if (!ok)
            throw WrenError(QStringLiteral("'%1' is not a valid integer value").arg(request.days));
        // A negative count would reach past today and take today's entries too.
        if (days < 0)
            throw WrenError(
                QStringLiteral("'%1' days: the number of days must be 0 or more").arg(request.days.trimmed()));
        return Statements::purgeEntries(journalId, today.addDays(-days));
    }
    case PurgeRequest::Choice::After:
        return Statements::purgeEntriesAfter(journalId, request.date);
    case PurgeRequest::Choice::None:
        break;
    }
    return QString();
}
