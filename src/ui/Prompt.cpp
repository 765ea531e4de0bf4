#include "Prompt.h"

#include <QInputDialog>
#include <QLineEdit>

#include <deque>

namespace Prompt {

namespace {
std::deque<QMessageBox::StandardButton> g_answers;
std::deque<std::optional<QString>> g_secrets;
QString g_lastText;
int g_shown = 0;

QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                 QMessageBox::StandardButton escape = QMessageBox::NoButton)
{
    g_lastText = text;
    ++g_shown;
    if (!g_answers.empty()) {
        const QMessageBox::StandardButton answer = g_answers.front();
        g_answers.pop_front();
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (escape != QMessageBox::NoButton)
        box.setEscapeButton(escape);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    // The close box of a box without an escape button answers with no button at all.
    return answer == QMessageBox::NoButton ? escape : answer;
}
} // namespace

void inform(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

bool ask(QWidget *parent, const QString &text, const QString &title, QMessageBox::StandardButton escapeAnswer)
{
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton,
                escapeAnswer) == QMessageBox::Yes;
}

Answer askOrCancel(QWidget *parent, const QString &text, const QString &title)
{
    switch (show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                 QMessageBox::NoButton, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool askDefaultNo(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

bool confirm(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<QString> askSecret(QWidget *parent, const QString &text, const QString &title)
{
    g_lastText = text;
    ++g_shown;
    if (!g_secrets.empty()) {
        const std::optional<QString> answer = g_secrets.front();
        g_secrets.pop_front();
        // NOLINTNEXTLINE(performance-no-automatic-move): GCC 12 warns (maybe-uninitialized) on the move
        return answer;
    }
    bool ok = false;
    const QString secret = QInputDialog::getText(parent, title, text, QLineEdit::Password, QString(), &ok);
    return ok ? std::optional<QString>(secret) : std::nullopt;
}

void setNextSecret(const std::optional<QString> &answer)
{
    g_secrets.push_back(answer);
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    g_answers.push_back(answer);
}

int pendingAnswers()
{
    return static_cast<int>(g_answers.size() + g_secrets.size());
}

int shownCount()
{
    return g_shown;
}

QString lastText()
{
    return g_lastText;
}

} // namespace Prompt
