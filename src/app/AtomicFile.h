#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's whole content so that a reader, or the file after a crash,
// shows either the old content or the new, never a part: the bytes go to a
// hidden temporary file beside it, are synced to disk, and the temporary file is
// renamed over the target. An existing file keeps its permissions.
//
// Every byte is checked: a short write (a full disk, a size limit) fails the
// whole replacement and leaves the old file untouched. (Qt's QSaveFile takes a
// short write for success and commits the truncated file.)
namespace AtomicFile {

// Throws WrenError "Unable to write to <path>: <reason>" when anything fails.
void write(const QString &path, const QByteArray &bytes);

} // namespace AtomicFile
