#include "TdlgPurge.h"

#include "ui/DialogPlacement.h"
#include "ui/KeyboardFields.h"
#include "ui/Prompt.h"
#include "base/WrenError.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TdlgPurge::TdlgPurge(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgPurge"));
    setWindowTitle(QStringLiteral("Purge Journal Entries"));
    auto *Label1 = new QLabel(QStringLiteral("This will delete certain entries from your currently selected journal!! "
                                             "Are you sure that this is what you want?"));
    Label1->setWordWrap(true);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    lblJournal = new QLabel;
    lblJournal->setObjectName(QStringLiteral("lblJournal"));
    lblJournal->setText(QStringLiteral("Journal:"));

    auto *RadioGroup1 = new QGroupBox(QStringLiteral("Purge ..."));
    rbAll = new QRadioButton(QStringLiteral("A&ll entries in Journal"));
    rbDays = new QRadioButton(QStringLiteral("Entries &older than"));
    rbDate = new QRadioButton(QStringLiteral("Entries a&fter"));
    edDays = new QLineEdit;
    edDays->setObjectName(QStringLiteral("edDays"));
    edDays->setMaximumWidth(70);
    calDate = new DateBox(QDate::currentDate());
    calDate->setCalendarPopup(true);
    calDate->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    // The three exclude each other within the frame; none is checked at first,
    // so an OK without a choice removes nothing.
    auto *choices = new QGridLayout(RadioGroup1);
    choices->addWidget(rbAll, 0, 0, 1, 3);
    choices->addWidget(rbDays, 1, 0);
    choices->addWidget(edDays, 1, 1);
    choices->addWidget(new QLabel(QStringLiteral("days")), 1, 2);
    choices->addWidget(rbDate, 2, 0);
    choices->addWidget(calDate, 2, 1, 1, 2);
    choices->setColumnStretch(3, 1);

    // Typing a count or picking a day chooses what it belongs to.
    connect(edDays, &QLineEdit::textEdited, rbDays, [this] { rbDays->setChecked(true); });
    connect(calDate, &QDateEdit::userDateChanged, rbDate, [this] { rbDate->setChecked(true); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lblJournal);
    layout->addWidget(RadioGroup1);
    layout->addWidget(buttons);
    DialogPlacement::fixSize(this, QSize(380, layout->totalHeightForWidth(380)));
    DialogPlacement::centreOnScreen(this);
    rbAll->setFocus(); // the first choice; the arrows move between the three
}

void TdlgPurge::setJournalName(const QString &name)
{
    lblJournal->setText(QStringLiteral("Journal: <b>%1</b>").arg(name.toHtmlEscaped()));
}

void TdlgPurge::accept()
{
    if (request().choice == PurgeRequest::Choice::None) {
        Prompt::inform(this, QStringLiteral("Choose which entries to purge: all of them, those older than a number of "
                                            "days, or those after a day."));
        rbAll->setFocus();
        return;
    }
    try {
        PurgeStatement(request(), 0, QDate::currentDate());
    } catch (const WrenError &error) {
        Prompt::inform(this, error.message());
        edDays->setFocus();
        edDays->selectAll();
        return;
    }
    QDialog::accept();
}

PurgeRequest TdlgPurge::request() const
{
    PurgeRequest r;
    if (rbAll->isChecked())
        r.choice = PurgeRequest::Choice::All;
    else if (rbDays->isChecked())
        r.choice = PurgeRequest::Choice::OlderThan;
    else if (rbDate->isChecked())
        r.choice = PurgeRequest::Choice::After;
    r.days = edDays->text();
    r.date = calDate->date();
    return r;
}
