#include "TdlgArchive.h"

#include "ui/KeyboardFields.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

TdlgArchive::TdlgArchive(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Create Archives"));
    setObjectName(QStringLiteral("dlgArchive"));
    auto *Bevel1 = new QFrame;
    Bevel1->setFrameShape(QFrame::StyledPanel);
    dtFrom = new DateBox;
    dtTo = new DateBox;
    for (QDateEdit *d : {dtFrom, dtTo}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    }
    // Wide enough for the whole caption in the window's title bar.
    Bevel1->setMinimumWidth(260);
    auto *form = new QFormLayout(Bevel1);
    form->addRow(QStringLiteral("From"), dtFrom);
    form->addRow(QStringLiteral("To"), dtTo);
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    dtFrom->setFocus();
}
