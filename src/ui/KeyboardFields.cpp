#include "KeyboardFields.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

bool DateBox::focusNextPrevChild(bool next)
{
    // The spin box would walk its sections first; the field as a whole moves on.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): passing over the spin box's own step is the point
    return QWidget::focusNextPrevChild(next);
}

namespace {

// Types a tab into the editor it watches on Ctrl+Tab.
class CtrlTabTypesATab : public QObject {
public:
    explicit CtrlTabTypesATab(QPlainTextEdit *editor) : QObject(editor), m_editor(editor) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_editor && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
                if (!m_editor->isReadOnly())
                    m_editor->insertPlainText(QStringLiteral("\t"));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPlainTextEdit *m_editor;
};

} // namespace

namespace KeyboardFields {

void passTabOn(QPlainTextEdit *editor)
{
    editor->setTabChangesFocus(true);
    editor->installEventFilter(new CtrlTabTypesATab(editor));
}

} // namespace KeyboardFields
