#pragma once

#include <QSize>

class QDialog;
class QWidget;

// Where the program's dialogs appear and how they size.
namespace DialogPlacement {

// Centres the window on the screen it opens on, each time it is shown, rather
// than over its parent.
void centreOnScreen(QWidget *window);

// Gives a dialog a size the user cannot change: the given one, or with an
// empty size the one its layout asks for. Such a dialog offers no maximise button.
void fixSize(QDialog *dialog, const QSize &size = QSize());

} // namespace DialogPlacement
