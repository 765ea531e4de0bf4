#pragma once

#include <QDateTime>
#include <QString>

#include "publish/Designs.h"
#include "transfer/SiteAddress.h"

class Database;
class TableHandle;

// What the New Journal assistant asks.
struct JournalAnswers {
    QString name;
    QString author;
    bool monthly = false;           // archive pages per month, else per week
    bool markdown = false;          // entries written in Markdown, else HTML (kept in the settings file)
    bool remote = false;            // an FTP or SFTP site, else a local folder
    QString folder;                 // the local folder
    SiteKind kind = SiteKind::Sftp; // how the remote site is reached; a scheme typed into host wins
    QString host, login, password, directory;
    int port = 21;
    QString webSite;  // the journal's address on the web; may be empty
    bool feed = true; // an Atom feed beside the pages, which needs the web address
    QString design = QStringLiteral("fieldnotes");
    QString firstEntry; // stored as the journal's first entry when not empty
    QDateTime now;      // the day and time of that entry
};

// The rows the assistant made.
struct JournalCreated {
    qlonglong journal = 0, site = 0, pageTemplate = 0, indexTemplate = 0, feedTemplate = 0, pageUpload = 0,
              feedUpload = 0, entry = 0; // 0: not made
};

// A working journal in one step: the journal, its site, a page template, an
// archive index template and a feed template from a starter design, and two
// uploads (the pages, and the feed beside them; without a web address no feed
// template, no feed upload and no link to a feed), all ordinary rows stored
// through the same table handles as Journal Management's, which shows and
// edits them afterwards.
namespace JournalSetup {

// The answer a problem is about, for the dialog to take the user there.
enum class Field { None, Name, Design, Host, Port, Folder };

// What stops the answers from making a journal, in words, and the answer it is
// about when field is given; empty (and Field::None) when nothing.
QString problem(const JournalAnswers &answers, Field *field = nullptr);

// The site's host as stored: the scheme of its kind ("sftp://", "ftps://",
// "ftpes://"), none for plain FTP. A scheme typed into the host names the kind.
QString siteHost(const JournalAnswers &answers);
// The kind the answers make: that of a scheme typed into the host, else the one chosen.
SiteKind siteKind(const JournalAnswers &answers);

// The address the journal is browsed at: the answer ("https://" put in front
// of one without a scheme), else for a local folder the file address of its
// page.
QString webSite(const JournalAnswers &answers);

// The folder address the feed's links start with; empty when the answers
// give no web address of http or https, and the journal then gets no feed.
QString feedBase(const JournalAnswers &answers);

// Stores every row, in one transaction; a local folder is created when
// missing. Throws WrenError (with the engine's message) and stores nothing
// when a row is refused.
JournalCreated create(Database &db, const JournalAnswers &answers);

// Adds the templates of a starter design (key "feed": the Atom feed template)
// to the table Templates, named after the journal and the design, and
// returns the ID of the first; 0 for an unknown design. Of names it takes the
// journal's name, author and web address; a journal without an http or https
// address gets no link to a feed, and no feed: WrenError says why, and
// nothing is stored. All or nothing.
qlonglong addDesignTemplates(Database &db, Designs::Names names, const QString &key);

// Deletes the current row of journals (a handle on Names) with the journal's
// entries and uploads, all or nothing: when a step fails, nothing is deleted
// and the handle is read again. A row not yet stored is only dropped.
void deleteJournal(const Database &db, TableHandle &journals);

} // namespace JournalSetup
