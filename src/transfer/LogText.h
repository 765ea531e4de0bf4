#pragma once

#include <QString>

// Names as a log line may show them: a name from a journal or a site's
// fields that holds a control character could otherwise forge a line.
namespace LogText {

// Whether a text holds a control character (below 0x20, 0x7F, a line or
// paragraph separator): such a name could forge a line of the log.
bool holdsControl(const QString &text);
// The text with its control characters written out ("\r", "\x1b"), for a log line.
QString visible(const QString &text);

} // namespace LogText
