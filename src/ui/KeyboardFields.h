#pragma once

#include <QDateEdit>

class QPlainTextEdit;

// A date field that Tab leaves at once, as every other field; the arrow keys
// move between day, month and year, and Alt+Down opens the calendar.
class DateBox : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override;
};

namespace KeyboardFields {

// Makes Tab and Shift+Tab leave a text box as they leave any field, and
// Ctrl+Tab type a tab into it instead.
void passTabOn(QPlainTextEdit *editor);

} // namespace KeyboardFields
