#pragma once

#include <QDate>
#include <QString>

// A ready-made data directory to try the program on: one journal of about forty
// entries over the six weeks up to a given day, a page template and an archive
// index template worth copying, an Atom feed, a few cookies, and a local-directory site whose
// upload writes into "site" under the data directory.
namespace DemoJournal {

// Writes the demo into dataDir, which must hold no settings file and no table
// files yet. Throws WrenError on any failure.
void create(const QString &dataDir, const QDate &today);

// The page template and the archive index template of the demo.
QString pageTemplate();
QString archiveIndexTemplate();
// The demo's Atom feed template, for a site in siteDir.
QString feedTemplate(const QString &siteDir);

} // namespace DemoJournal
