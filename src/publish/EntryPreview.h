#pragma once

#include <QString>
#include <QStringList>

// The preview of the entry being written: "temp.htm" in the staging directory,
// three CR LF lines around the entry text with the paragraph tags of
// publishing, and copies of the pending files beside it so that links to
// them work. Returns the preview file's path; throws WrenError when the file
// cannot be written. A pending file that cannot be copied is skipped.
QString WritePreview(const QString &stagingDir, const QString &entryText, bool autoinsertTag,
                     const QStringList &pendingFiles);
