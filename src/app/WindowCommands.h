#pragma once

#include <QString>

class QWidget;

// The main window's commands that open something outside the program with the
// desktop's own handler, or say what is missing.
namespace WindowCommands {

// Browse Site: the journal's web address in the default browser; an empty one,
// or "http://" alone, is reported instead.
void browseSite(QWidget *parent, const QString &webSite);
// Read Me: "Wren.txt" of the data directory, else the installed one; the
// message names both places when neither holds it.
void readMe(QWidget *parent, const QString &dataDir);

} // namespace WindowCommands
