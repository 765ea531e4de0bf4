#include "Prompt.h"

namespace Prompt {

namespace {
std::optional<QMessageBox::StandardButton> g_nextAnswer;
QString g_lastText;

QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                                 QMessageBox::StandardButtons buttons)
{
    g_lastText = text;
    if (g_nextAnswer) {
        const QMessageBox::StandardButton answer = *g_nextAnswer;
        g_nextAnswer.reset();
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void inform(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

bool ask(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    g_nextAnswer = answer;
}

QString lastText()
{
    return g_lastText;
}

} // namespace Prompt
