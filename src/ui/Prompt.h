#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

class QWidget;

// Every message box of the program goes through here, so that tests can answer
// the next question in advance instead of a person clicking.
namespace Prompt {

// Shows an information box titled "Wren" with OK.
void inform(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"));
// Asks a question titled "Wren" with Yes and No; returns true for Yes. Escape
// and the close box answer escapeAnswer (No unless told otherwise).
bool ask(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"),
         QMessageBox::StandardButton escapeAnswer = QMessageBox::No);
// As ask, with a warning sign and No as the default button: for a question
// whose Yes takes a risk, so that Enter does not take it.
bool askDefaultNo(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"));

// Asks for a secret (a passphrase) in a field that shows no letters; nothing
// when the user cancels.
std::optional<QString> askSecret(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"));

// A question that may also be put off: Yes, No and Cancel, where Escape and the
// close box mean Cancel.
enum class Answer { Yes, No, Cancel };
Answer askOrCancel(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"));

// Asks for confirmation titled "Wren" with OK and Cancel; returns true for OK.
bool confirm(QWidget *parent, const QString &text, const QString &title = QStringLiteral("Wren"));

// Queues the answer the next box takes without showing itself (tests only).
void setNextAnswer(QMessageBox::StandardButton answer);
// Queues the answer the next askSecret takes without showing itself (tests only).
void setNextSecret(const std::optional<QString> &answer);
// Queued answers not taken yet.
int pendingAnswers();
// The text of the last box shown or answered, and how many there were.
QString lastText();
int shownCount();

} // namespace Prompt
