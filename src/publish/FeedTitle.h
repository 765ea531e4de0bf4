#pragma once

#include <QByteArray>
#include <QString>

// A title for an entry that has none, for feed readers, which list entries by
// their titles: the start of the entry's text as a reader sees it, with the
// markup taken out and character references read.
namespace FeedTitle {

// About this many characters, cut at a whole word.
inline constexpr int kLength = 60;

// The words of the entry text (HTML; UTF-8, or Windows-1252 when it is not
// UTF-8) up to about kLength characters, ending in "…" when cut. Empty when
// the text holds no words.
QString fromText(const QByteArray &text);

} // namespace FeedTitle
