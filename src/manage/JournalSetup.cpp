#include "JournalSetup.h"

#include "base/WrenError.h"
#include "data/Statements.h"
#include "engine/Database.h"
#include "engine/Transaction.h"
#include "engine/TableHandle.h"

#include <QDir>
#include <QSqlQuery>
#include <QVariant>
#include <QUrl>

namespace JournalSetup {

namespace {

const QString kPage = QStringLiteral("index.html");
const QString kArchive = QStringLiteral("archive.html");
const QString kFeed = QStringLiteral("feed.xml");
const QString kFeedArchive = QStringLiteral("feeds.html");

qlonglong store(TableHandle &table, const QList<std::pair<QString, QVariant>> &values)
{
    table.insert();
    for (const auto &[field, value] : values)
        table.setValue(field, value);
    table.post();
    return table.value(QStringLiteral("ID")).toLongLong();
}

QString designName(const QString &key)
{
    for (const Designs::Design &d : Designs::all())
        if (d.key == key)
            return d.name;
    return {};
}

} // namespace

QString problem(const JournalAnswers &a, Field *field)
{
    auto blame = [field](Field which, const char *text) {
        if (field)
            *field = which;
        return QString::fromUtf8(text);
    };
    if (a.name.trimmed().isEmpty())
        return blame(Field::Name, "Please give the journal a name.");
    if (designName(a.design).isEmpty())
        return blame(Field::Design, "Please choose a look for the journal.");
    if (a.remote) {
        if (a.host.trimmed().isEmpty())
            return blame(Field::Host, "Please give the host name of the site.");
        // A scheme of its own, a login and password, a path: said, never dropped.
        if (const SiteAddress address = SiteAddress::parse(a.host, a.port); !address.problem.isEmpty()) {
            blame(Field::Host, "");
            return address.problem + u'.';
        }
        if (a.port < 1 || a.port > 65535)
            return blame(Field::Port, "The port must be a number from 1 to 65535.");
        return blame(Field::None, "");
    }
    if (a.folder.trimmed().isEmpty())
        return blame(Field::Folder, "Please choose the folder to publish into.");
    if (QDir::isRelativePath(a.folder))
        return blame(Field::Folder, "Please choose the folder with its full path.");
    return blame(Field::None, "");
}

SiteKind siteKind(const JournalAnswers &a)
{
    const QString host = a.host.trimmed();
    return host.contains(QLatin1String("://")) ? SiteAddress::kindOf(host) : a.kind;
}

QString siteHost(const JournalAnswers &a)
{
    QString host = SiteAddress::withKind(a.host, siteKind(a));
    while (host.endsWith(u'/') && !host.endsWith(QLatin1String("://")))
        host.chop(1);
    return host;
}

QString webSite(const JournalAnswers &a)
{
    const QString given = a.webSite.trimmed();
    if (!given.isEmpty())
        return given.contains(QLatin1String("://")) ? given : QStringLiteral("https://") + given;
    if (a.remote)
        return {};
    return QUrl::fromLocalFile(QDir(a.folder).filePath(kPage)).toString();
}

QString feedBase(const JournalAnswers &a)
{
    return Designs::siteBase(webSite(a));
}

JournalCreated create(Database &db, const JournalAnswers &a)
{
    const QString trouble = problem(a);
    if (!trouble.isEmpty())
        throw WrenError(trouble);
    const QString directory = a.remote ? a.directory.trimmed() : QDir::cleanPath(a.folder);
    if (!a.remote && !QDir().mkpath(directory))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(directory));

    Designs::Names names;
    names.title = a.name.trimmed();
    names.author = a.author.trimmed();
    names.page = kPage;
    names.archive = kArchive;
    // A feed with links into a folder on this computer would be read by no
    // feed reader: without a web address there is none.
    const bool feed = a.feed && !feedBase(a).isEmpty();
    names.feed = feed ? kFeed : QString();
    names.siteUrl = webSite(a);
    const Designs::Templates look = Designs::templates(a.design, names);
    const QString design = designName(a.design);

    TableHandle sites(db, QStringLiteral("Sites")), templates(db, QStringLiteral("Templates")),
        journals(db, QStringLiteral("Names")), uploads(db, QStringLiteral("Upload"));
    for (TableHandle *t : {&sites, &templates, &journals, &uploads})
        t->open();
    JournalCreated made;
    Transaction transaction(db);
    made.journal =
        store(journals,
              {{QStringLiteral("Name"), names.title.left(50)},
               {QStringLiteral("Reverse"), true},
               {QStringLiteral("DtFormat"), QStringLiteral("dddd, mmmm d, yyyy")},
               {QStringLiteral("TmFormat"), QStringLiteral("h:nn am/pm")},
               // A month is named as a month, a week by its first and last day.
               {QStringLiteral("ArcDtFormat"), a.monthly ? QStringLiteral("mmmm yyyy") : QStringLiteral("mmm d, yyyy")},
               {QStringLiteral("ArcType"), a.monthly ? QStringLiteral("Monthly") : QStringLiteral("Weekly")},
               {QStringLiteral("ArcReverse"), true},
               {QStringLiteral("WebSite"), names.siteUrl},
               {QStringLiteral("Author"), names.author.left(30)}});
    made.site =
        store(sites, {{QStringLiteral("Name"),
                       (a.remote ? siteHost(a) : QStringLiteral("Folder ") + QDir(directory).dirName()).left(50)},
                      {QStringLiteral("FTP"), a.remote ? siteHost(a) : QString()},
                      {QStringLiteral("Login"), a.remote ? a.login : QString()},
                      {QStringLiteral("Password"), a.remote ? a.password : QString()},
                      {QStringLiteral("Port"), a.remote ? a.port : 21},
                      {QStringLiteral("Active"), a.remote}});
    const QString prefix = names.title.left(25);
    made.pageTemplate =
        store(templates, {{QStringLiteral("Name"), (prefix + QStringLiteral(" page (") + design + u')').left(50)},
                          {QStringLiteral("Template"), look.page}});
    made.indexTemplate = store(
        templates, {{QStringLiteral("Name"), (prefix + QStringLiteral(" archive index (") + design + u')').left(50)},
                    {QStringLiteral("Template"), look.archiveIndex}});
    if (feed)
        made.feedTemplate = store(templates, {{QStringLiteral("Name"), (prefix + QStringLiteral(" feed")).left(50)},
                                              {QStringLiteral("Template"), Designs::feedTemplate(names)}});
    auto upload = [&](qlonglong page, const QString &file, const QString &arcFile, const QString &ext, bool autoArc) {
        return store(uploads, {{QStringLiteral("Journal"), made.journal},
                               {QStringLiteral("Site"), made.site},
                               {QStringLiteral("Template"), page},
                               {QStringLiteral("ArcTemplate"), made.indexTemplate},
                               {QStringLiteral("LogFile"), file},
                               {QStringLiteral("ArcFile"), arcFile},
                               {QStringLiteral("Directory"), directory},
                               {QStringLiteral("Active"), true},
                               {QStringLiteral("ArcExt"), ext},
                               {QStringLiteral("AutoArc"), autoArc},
                               {QStringLiteral("ImageDir"), QString()}});
    };
    made.pageUpload = upload(made.pageTemplate, kPage, kArchive, QStringLiteral("html"), true);
    // The feed's archives are one feed per period under names of their
    // own, never over the pages; they archive with the pages, so that a
    // corrected or deleted entry leaves its period's feed when it leaves
    // the period's page.
    if (feed)
        made.feedUpload = upload(made.feedTemplate, kFeed, kFeedArchive, QStringLiteral("xml"), true);
    if (!a.firstEntry.trimmed().isEmpty()) {
        // As the editor stores it: lines end in CR LF.
        QString text = a.firstEntry;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\n', QLatin1String("\r\n"));
        QSqlQuery entry(db.connection());
        entry.prepare(QStringLiteral(
            "INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (?, ?, ?, ?, ?, '')"));
        const QDateTime when = a.now.isValid() ? a.now : QDateTime::currentDateTime();
        entry.addBindValue(made.journal);
        entry.addBindValue(when.date().toString(QStringLiteral("yyyy-MM-dd")));
        entry.addBindValue(when.time().toString(QStringLiteral("HH:mm:ss")));
        entry.addBindValue(text);
        entry.addBindValue(names.author.left(30));
        db.run(entry);
        made.entry = entry.lastInsertId().toLongLong();
    }
    transaction.commit();
    return made;
}

qlonglong addDesignTemplates(Database &db, Designs::Names names, const QString &key)
{
    // Feed readers follow the feed's links on the web, never into a folder
    // of this computer.
    const bool onTheWeb = !Designs::siteBase(names.siteUrl).isEmpty();
    if (!onTheWeb)
        names.feed.clear();
    TableHandle templates(db, QStringLiteral("Templates"));
    templates.open();
    auto add = [&templates](const QString &name, const QString &text) {
        return store(templates, {{QStringLiteral("Name"), name.left(50)}, {QStringLiteral("Template"), text}});
    };
    if (key == QLatin1String("feed")) {
        if (!onTheWeb)
            throw WrenError(QStringLiteral("A feed needs the journal's web address (http:// or https://), which "
                                           "feed readers follow its links to: \"%1\" is none. Enter it as the "
                                           "journal's Web Site first.")
                                .arg(names.siteUrl));
        return add(names.title + QStringLiteral(" feed"), Designs::feedTemplate(names));
    }
    const Designs::Templates look = Designs::templates(key, names);
    if (look.page.isEmpty())
        return 0;
    const QString design = designName(key);
    Transaction transaction(db);
    const qlonglong first = add(names.title + QStringLiteral(" page (") + design + u')', look.page);
    add(names.title + QStringLiteral(" archive index (") + design + u')', look.archiveIndex);
    transaction.commit();
    return first;
}

void deleteJournal(const Database &db, TableHandle &journals)
{
    if (journals.state() == TableHandle::State::Insert) {
        journals.cancel();
        return;
    }
    const int journal = journals.value(QStringLiteral("ID")).toInt();
    try {
        Transaction transaction(db);
        db.run(Statements::deleteJournalEntries(journal));
        db.run(Statements::deleteJournalUploads(journal));
        journals.cancel();
        journals.remove();
        transaction.commit();
    } catch (const WrenError &) {
        journals.refresh();
        throw;
    }
}

} // namespace JournalSetup
