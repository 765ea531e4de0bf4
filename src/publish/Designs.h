#pragma once

#include <QList>
#include <QString>

// The starter designs that come with the program: each a page template and an
// archive index template, plus the Atom feed template every design shares.
// The texts are ordinary templates once made: the journal's name, author and
// file names are written into them when they are made, nothing is looked up
// later.
namespace Designs {

struct Design {
    QString key;         // "fieldnotes"
    QString name;        // "Field Notes"
    QString description; // one line for a chooser
};

// What a design's texts name.
struct Names {
    QString title;                                    // the journal's name
    QString author;                                   // the journal's author
    QString page = QStringLiteral("index.html");      // the upload's LogFile
    QString archive = QStringLiteral("archive.html"); // its ArcFile
    QString feed = QStringLiteral("feed.xml");        // the feed upload's LogFile; empty: no feed
    QString pageExt = QStringLiteral("html");         // the pages' ArcExt, which the feed links to
    QString siteUrl;                                  // the journal's WebSite, may be empty
};

struct Templates {
    QString page;
    QString archiveIndex;
};

QList<Design> all();

// The two templates of a design; empty texts for an unknown key.
Templates templates(const QString &key, const Names &names);

// The Atom feed template: the entries of the current page, newest first when
// the journal is in reverse order, each with its title (made from its text
// when it has none), its link into the archive pages, its time in UTC and its
// text; the feed's time is that of its newest entry, so an unchanged journal
// gives an unchanged feed. Every link and identity is an absolute address
// under siteBase(names.siteUrl), which must not be empty. The feed's own
// upload needs an archive extension and an archive file of its own ("xml",
// "feeds.html"): publishing its archives then writes one feed per period,
// each with its own address and identity, beside the pages instead of over
// them; its links name the pages' extension themselves. Made to archive
// automatically, its period feeds stay as current as the pages.
QString feedTemplate(const Names &names);

// The folder address of a web site for the feed's links: the address up to
// and including the last "/" of its path when its last part names a file
// ("https://example.org/notes/index.html" gives "https://example.org/notes/"),
// else the address with a "/" added ("https://example.org/notes" gives
// "https://example.org/notes/"). Empty for an address that is not http or
// https: a feed reader cannot follow a link into a folder on this computer.
QString siteBase(const QString &webSite);

} // namespace Designs
