#pragma once

#include <QByteArray>
#include <QString>

#include <limits>

// Replaces a file's whole content so that a reader, or the file after a crash,
// shows either the old content or the new, never a part: the bytes go to a
// hidden temporary file beside it, are synced to disk, and the temporary file is
// renamed over the target. An existing regular file keeps its permission bits
// (never a setuid, setgid or sticky bit); a new file, or one that replaces a
// link, gets the usual bits (0666 less the umask), or 0600 when private. A
// link in the target's place is replaced, never followed: what it points to
// is neither read nor written.
//
// Every byte is checked: a short write (a full disk, a size limit) fails the
// whole replacement and leaves the old file untouched. (Qt's QSaveFile takes a
// short write for success and commits the truncated file.)
namespace AtomicFile {

enum class Durability {
    // Synced to disk before the rename: the file survives a power cut whole.
    Sync,
    // Renamed without waiting for the disk: readers and a crash of the program
    // still see old or new, never a part. For files that can be made again
    // (published pages), where a sync per file would cost more than the page.
    Replace,
};

enum class Access {
    Usual,   // a new file is made 0666 less the umask
    Private, // a new file is made 0600: it tells what the user publishes where
};

// Throws WrenError "Unable to write to <path>: <reason>" when anything fails.
void write(const QString &path, const QByteArray &bytes, Durability durability = Durability::Sync,
           Access access = Access::Usual);

// As write, but a regular file that already holds exactly these bytes is left
// alone (its modification time stays that of its last change): false then,
// true when the file was written.
bool writeUnlessSame(const QString &path, const QByteArray &bytes, Durability durability = Durability::Sync,
                     Access access = Access::Usual);

// True when path names a regular file that holds exactly these bytes.
bool holds(const QString &path, const QByteArray &bytes);

enum class Links { Follow, Refuse };
// The bytes of the regular file at path; nothing when it is missing, or is a
// pipe, socket or device (never waited on), larger than limit, or with
// Links::Refuse a link.
QByteArray readRegular(const QString &path, Links links, qint64 limit = std::numeric_limits<qint64>::max());

// The temporary file of "name" is ".name.wrentmp-XXXXXX", so that one a killed
// process left behind is known for ours; a name too long for that is cut so
// the temporary name stays within the file system's 255 bytes.
inline const QString kTemporaryMark = QStringLiteral(".wrentmp-XXXXXX");

// Deletes the temporary files of this kind in dir that a process ended before
// renaming (plain files of this user only); returns how many.
int removeAbandonedTemporaries(const QString &dir);

} // namespace AtomicFile
