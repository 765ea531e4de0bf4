#pragma once

#include "publish/PublishContext.h"

#include <QByteArray>

// The archive index table: one linked cell per archive period of the journal
// that has entries, n cells to a row, newest first when the journal's
// ArcReverse is set. The column count comes from the token: "<$WrenArchive>"
// is one column, "<$WrenArchive=3>" three; a count that is not a number gives
// one column, and 0 or less never closes a row early. Empty for a journal
// without entries.
QByteArray BuildArchiveIndex(PublishContext &context, const QByteArray &extension, const QByteArray &token);

// True when that table holds "<Wren>" or "</Wren>" in any letter case (only
// an extension or a date format that writes them can put them there).
bool ArchiveIndexHoldsBlockMarker(PublishContext &context, const QByteArray &extension, const QByteArray &token);
