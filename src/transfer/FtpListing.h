#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// What a directory listing from the server tells: the files in it and their
// sizes. Both forms servers send are read: MLSD lines (facts, then the name)
// and the long form of LIST ("ls -l"); directories, links and lines of
// neither form are left out.
namespace FtpListing {

// The files and sizes in a listing: MLSD lines, or the long form of LIST.
QHash<QString, qint64> parse(const QByteArray &listing);
// Whether a long listing shows the directory itself ("."), as one of
// every name does.
bool showsItself(const QByteArray &listing);

} // namespace FtpListing
