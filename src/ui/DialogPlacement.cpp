#include "DialogPlacement.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace {

// Moves its window to the centre of the screen whenever the window is shown.
class CentreOnShow : public QObject {
public:
    explicit CentreOnShow(QWidget *window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            if (const QScreen *screen = m_window->screen()) {
                QRect frame = m_window->frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                m_window->move(frame.topLeft());
            }
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

void DialogPlacement::centreOnScreen(QWidget *window)
{
    window->installEventFilter(new CentreOnShow(window));
}

void DialogPlacement::fixSize(QDialog *dialog, const QSize &size)
{
    dialog->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    dialog->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    if (size.isValid())
        dialog->setFixedSize(size);
    else if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}
