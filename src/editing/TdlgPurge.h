#pragma once

#include "editing/Markup.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;

// Purge Journal Entries: which entries of the current journal to remove. Made
// once; the choice, the day count and the date stay for the next purge.
class TdlgPurge : public QDialog {
    Q_OBJECT
public:
    explicit TdlgPurge(QWidget *parent = nullptr);

    // The choice as the controls show it.
    PurgeRequest request() const;
    // Names the journal the entries go from.
    void setJournalName(const QString &name);
    // OK closes only with a choice, and for the older entries a day count
    // that is a whole number; otherwise the message says why and the focus
    // goes where the answer is to be given.
    void accept() override;

    QLabel *lblJournal;
    QRadioButton *rbAll, *rbDays, *rbDate;
    QLineEdit *edDays;
    QDateEdit *calDate;
};
