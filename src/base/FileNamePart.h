#pragma once

#include <QString>

// The text after the last "/", "\" or ":" of a path; all of it without one.
// Paths typed on any system are read alike, so "C:\pics\a.gif" gives "a.gif".
QString FileNamePart(const QString &path);
