#pragma once

#include "base/Settings.h"

#include <QString>
#include <QStringList>

// The preview of the entry being written: "temp.htm" in the staging directory,
// three CR LF lines around the entry text as publishing makes it (with the
// paragraph tags of an HTML entry, or converted from Markdown; tags stay as
// written), and copies of the pending files beside it so that links to
// them work. Returns the preview file's path; throws WrenError when the file
// cannot be written. A pending file that cannot be copied is skipped.
QString WritePreview(const QString &stagingDir, const QString &entryText, bool autoinsertTag,
                     const QStringList &pendingFiles, EntryFormat format = EntryFormat::Html);
