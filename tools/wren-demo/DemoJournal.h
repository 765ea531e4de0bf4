#pragma once

#include <QDate>
#include <QString>

// A ready-made data directory to try the program on: one journal of about forty
// entries over the six weeks up to a given day, published with the Field
// Notes starter design and its Atom feed, a few cookies, and a local-directory
// site whose two uploads (the pages, the feed) write into "site" under the
// data directory. The feed's links name http://localhost:8000/, where a web
// server started on that folder serves it.
namespace DemoJournal {

// Writes the demo into dataDir, which must hold no settings file and no table
// files yet. Throws WrenError on any failure.
void create(const QString &dataDir, const QDate &today);

} // namespace DemoJournal
