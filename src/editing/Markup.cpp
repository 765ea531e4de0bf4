#include "Markup.h"

#include "base/FileNamePart.h"
#include "data/Statements.h"
#include "base/WrenError.h"
#include "engine/Database.h"
#include "publish/ArchivePeriod.h"

#include <QRegularExpression>
#include <QStringList>

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

bool LacksScheme(const QString &url)
{
    const QString u = url.trimmed();
    if (u.isEmpty() || u.startsWith(u'#') || u.startsWith(u'/') || u.startsWith(u'.') || u.startsWith(u'?') ||
        u.startsWith(u'\\'))
        return false;
    // The host part: up to the first "/", "?" or "#", with an optional port.
    static const QRegularExpression kHost(
        QStringLiteral("^([A-Za-z0-9-]+(?:\\.[A-Za-z0-9-]+)*)(?::\\d{1,5})?(?:[/?#]|$)"));
    const QRegularExpressionMatch host = kHost.match(u);
    if (!host.hasMatch()) {
        return false; // "mailto:x", "https://x", "user@host": a scheme or no host at all
    }
    const QString name = host.captured(1).toLower();
    if (name == QLatin1String("localhost") || name.startsWith(QLatin1String("www.")))
        return true;
    static const QRegularExpression kIPv4(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    if (kIPv4.match(name).hasMatch())
        return true;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false; // "notes", "pages/x.htm": a file beside the page
    // The last label names a country or kind of site, not a kind of file.
    const QString last = name.mid(dot + 1);
    static const QStringList kFileKinds{
        QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("shtml"), QStringLiteral("xhtml"),
        QStringLiteral("php"), QStringLiteral("asp"),  QStringLiteral("aspx"),  QStringLiteral("jsp"),
        QStringLiteral("cgi"), QStringLiteral("txt"),  QStringLiteral("xml"),   QStringLiteral("json"),
        QStringLiteral("css"), QStringLiteral("js"),   QStringLiteral("jpg"),   QStringLiteral("jpeg"),
        QStringLiteral("png"), QStringLiteral("gif"),  QStringLiteral("svg"),   QStringLiteral("webp"),
        QStringLiteral("pdf"), QStringLiteral("zip"),  QStringLiteral("gz"),    QStringLiteral("mp3"),
        QStringLiteral("mp4"), QStringLiteral("ogg"),  QStringLiteral("rss"),   QStringLiteral("atom"),
        QStringLiteral("exe"), QStringLiteral("doc"),  QStringLiteral("docx"),  QStringLiteral("odt")};
    static const QRegularExpression kLetters(QStringLiteral("^[a-z]{2,}$"));
    return kLetters.match(last).hasMatch() && !kFileKinds.contains(last);
}

QString Hyperlink(const QString &s, const QString &url, bool prependHttp, bool newWindow)
{
    const QString target = (prependHttp && LacksScheme(url) ? QStringLiteral("http://") : QString()) + url;
    const QString text = s.isEmpty() ? url.toHtmlEscaped() : s;
    return QStringLiteral("<a href=\"") + target +
           (newWindow ? QStringLiteral("\" target=_blank>") : QStringLiteral("\">")) + text + QStringLiteral("</a>");
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
    const QString name = FileNamePart(path);
    const QString text = s.isEmpty() ? name.toHtmlEscaped() : s;
    return QStringLiteral("<a href=\"") + name + QStringLiteral("\">") + text + QStringLiteral("</a>");
}

QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType, const QString &shown)
{
    const QString target =
        ArchivePeriod::ArchiveName(day, arcType) + QStringLiteral(".<$WrenExt>#WrenID") + QString::number(id);
    return QStringLiteral("<a href=\"") + target + QStringLiteral("\">") + (s.isEmpty() ? shown : s) +
           QStringLiteral("</a>");
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
            plain = false; // NOLINT(bugprone-branch-clone): the ")" test below also counts the depth
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
    const QString target = (prependHttp && Markup::LacksScheme(url) ? QStringLiteral("http://") : QString()) + url;
    return u'[' + (s.isEmpty() ? Text(url) : s) + QStringLiteral("](") + Destination(target) + u')';
}

QString Text(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (QStringView(u"\\`*_[]<>#!|").contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

QString Image(const QString &s, const QString &path, bool actualSize, const QString &width, const QString &height)
{
    if (!actualSize)
        return Markup::Image(s, path, false, width, height);
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString alt = dot > 0 ? name.left(dot) : name;
    return s + QStringLiteral("![") + alt + QStringLiteral("](") + Destination(name) + u')';
}

QString FileLink(const QString &s, const QString &path)
{
    const QString name = FileNamePart(path);
    return u'[' + (s.isEmpty() ? Text(name) : s) + QStringLiteral("](") + Destination(name) + u')';
}

QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType, const QString &shown)
{
    return u'[' + (s.isEmpty() ? shown : s) + QStringLiteral("](") + ArchivePeriod::ArchiveName(day, arcType) +
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
            throw WrenError(QStringLiteral("\"%1\" is not a number of days: type a whole number, for example 30")
                                .arg(request.days.trimmed()));
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

PurgeOutcome RunPurge(const Database &db, const QString &statement, const QString &journalName)
{
    PurgeOutcome outcome;
    outcome.removed = db.run(statement).numRowsAffected();
    outcome.line = outcome.removed == 1
                       ? QStringLiteral("Purge removed 1 entry of %1").arg(journalName)
                       : QStringLiteral("Purge removed %1 entries of %2").arg(outcome.removed).arg(journalName);
    return outcome;
}
