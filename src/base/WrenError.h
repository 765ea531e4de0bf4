#pragma once

#include <QString>

#include <stdexcept>

// The one exception type of the program. It carries the text the user sees:
// a command that fails throws it, and the command boundary shows the text in a
// message box (or the headless tool prints it) while the program goes on.
class WrenError : public std::runtime_error {
public:
    explicit WrenError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
