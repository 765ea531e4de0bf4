#include "TdlgAbout.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TdlgAbout::TdlgAbout(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About"));
    auto *icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/icons/wren.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(QStringLiteral("<h2>Wren %1</h2>").arg(QStringLiteral(WREN_VERSION)));
    name->setAlignment(Qt::AlignCenter);
    auto *credits = new QLabel(QStringLiteral(
        "Keeps dated journals and publishes them as static HTML<br>to FTP servers and local directories.<br><br>"
        "Built with Qt, SQLite and libcurl.<br>Icons: Bootstrap Icons (MIT licence)."));
    credits->setAlignment(Qt::AlignCenter);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(credits);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
