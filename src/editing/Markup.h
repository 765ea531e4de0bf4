#pragma once

#include <QDate>
#include <QString>

class Database;

// The HTML that the markup commands put in place of the editor's selection S.
// Each returns the whole replacement text; S may be empty.
namespace Markup {

QString Paragraph(const QString &s);     // <p>S</p>
QString LineBreak(const QString &s);     // S<br>
QString AngleBrackets(const QString &s); // &lt;S&gt;
QString Space(const QString &s);         // S&nbsp;
QString Bold(const QString &s);          // <b>S</b>
QString Italics(const QString &s);       // <i>S</i>

// Whether an address is a host to reach on the web without its scheme
// ("example.org/trail", "www.example.org", "localhost:8080/x"). An address
// with a scheme ("https:", "ftp:", "mailto:", "file:"), a place in the page
// ("#top"), a path on the site ("/notes", "../x.htm") or a file beside the
// page ("pages/x.htm", "notes.html") is not.
bool LacksScheme(const QString &url);

// <a href="[http://]URL"[ target=_blank]>S</a>; asked for, the prefix goes in
// front of an address that lacks a scheme, and only there. With S empty the
// address as typed is the link's text, so that the link shows.
QString Hyperlink(const QString &s, const QString &url, bool prependHttp, bool newWindow);
// S then <img src="NAME"> or <img src="NAME" width="W" height="H">, with
// NAME the file-name part of the path and the sizes as typed.
QString Image(const QString &s, const QString &path, bool actualSize, const QString &width, const QString &height);
// <a href="NAME">S</a>; with S empty the file's name is the link's text.
QString FileLink(const QString &s, const QString &path);

// A link to an earlier entry, where it will stand in the archive pages:
// <a href="arcYYYYMMDD.<$WrenExt>#WrenIDn">S</a>, the period taken from the
// current journal's archive type. With S empty, shown is the link's text (the
// caller gives the entry's title, else its date).
QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType,
                  const QString &shown = QString());

} // namespace Markup

// The same commands for an entry written in Markdown: the Markdown forms, and
// raw HTML where Markdown has none (a link that opens a new window, an image
// of a given size). Angle Brackets and Space insert the same character
// references as in HTML.
namespace MarkdownMarkup {

QString Paragraph(const QString &s); // a blank line before and after S: S becomes a paragraph of its own
QString LineBreak(const QString &s); // S, then a backslash at the end of the line
QString Bold(const QString &s);      // **S**
QString Italics(const QString &s);   // *S*

// [S](ADDRESS); <a href="ADDRESS" target=_blank>S</a> for a new window. The
// prefix and the text shown without a selection follow Markup::Hyperlink.
QString Hyperlink(const QString &s, const QString &url, bool prependHttp, bool newWindow);
// S then ![NAME without extension](NAME), or S then the HTML image tag with its sizes.
QString Image(const QString &s, const QString &path, bool actualSize, const QString &width, const QString &height);
// [S](NAME); with S empty the file's name is the link's text.
QString FileLink(const QString &s, const QString &path);
// [S](arcYYYYMMDD.<$WrenExt>#WrenIDn); with S empty, shown is the text.
QString EntryLink(const QString &s, qlonglong id, const QDate &day, const QString &arcType,
                  const QString &shown = QString());

// A text as a link's words: the characters Markdown would read as markup
// are escaped with a backslash.
QString Text(const QString &text);

// An address as a link target: as it is, or in angle brackets when it holds
// a blank or a control character, starts with "<" or has parentheses that
// do not pair up.
QString Destination(const QString &address);

} // namespace MarkdownMarkup

// What Purge Entries removes from the current journal.
struct PurgeRequest {
    enum class Choice { None, All, OlderThan, After };
    Choice choice = Choice::None;
    QString days; // OlderThan: a whole number of days, as typed
    QDate date;   // After: entries dated after this day go
};

// The DELETE statement for the request, or an empty text when nothing is
// chosen. Throws WrenError when the day count is not a whole number or is
// below 0.
QString PurgeStatement(const PurgeRequest &request, int journalId, const QDate &today);

// What a purge did: how many entries went, and the line that says so for
// the status bar and the log.
struct PurgeOutcome {
    int removed = 0;
    QString line;
};

// Runs a statement of PurgeStatement on the entries of the journal named
// journalName. Throws WrenError with the engine's message when it fails.
PurgeOutcome RunPurge(const Database &db, const QString &statement, const QString &journalName);
