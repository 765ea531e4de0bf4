#include "TdlgLink.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

TdlgLink::TdlgLink(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgLink"));
    lblDes = new QLabel(QStringLiteral("File Name"));
    edName = new QLineEdit;
    edName->setMinimumWidth(320);
    lblDes->setBuddy(edName);
    btnFind = new QToolButton;
    btnFind->setText(QStringLiteral("..."));
    rbAuto = new QRadioButton(QStringLiteral("Actual Size"));
    rbAuto->setChecked(true);
    rbAuto->setToolTip(QStringLiteral("Specify the actual image size in HTML code"));
    rbSize = new QRadioButton(QStringLiteral("Specific Size"));
    rbSize->setToolTip(QStringLiteral("Use a specific image size in the HTML code"));
    lblX = new QLabel(QStringLiteral("Width"));
    edX = new QLineEdit;
    edX->setMaxLength(4);
    edX->setMaximumWidth(60);
    lblY = new QLabel(QStringLiteral("Height"));
    edY = new QLineEdit;
    edY->setMaxLength(4);
    edY->setMaximumWidth(60);
    chkHttp = new QCheckBox(QStringLiteral("http://"));
    chkHttp->setChecked(true);
    chkHttp->setToolTip(QStringLiteral("Prepend http:// to the URL in HTML code"));
    chkNew = new QCheckBox(QStringLiteral("target=_blank"));
    chkNew->setToolTip(QStringLiteral("Add option to HTML code to open URL in new window"));
    for (QWidget *w : std::initializer_list<QWidget *>{rbAuto, rbSize, chkHttp, chkNew, lblX, lblY, edX, edY})
        w->setStatusTip(w->toolTip());

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(lblDes);
    nameRow->addWidget(edName, 1);
    nameRow->addWidget(btnFind);
    auto *options = new QGridLayout;
    options->addWidget(rbAuto, 0, 0);
    options->addWidget(chkHttp, 0, 0);
    options->addWidget(rbSize, 1, 0);
    options->addWidget(chkNew, 1, 0);
    options->addWidget(lblX, 0, 1);
    options->addWidget(edX, 0, 2);
    options->addWidget(lblY, 1, 1);
    options->addWidget(edY, 1, 2);
    options->setColumnStretch(3, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addLayout(options);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(edName, btnFind);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rbAuto, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setSizeEnabled(false);
    });
    connect(rbSize, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setSizeEnabled(true);
    });
    connect(btnFind, &QToolButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, windowTitle(), edName->text(), openFilter());
        if (!path.isEmpty())
            edName->setText(path);
    });
    setSizeEnabled(false);
    prepare(Form::File);
}

QString TdlgLink::openFilter()
{
    return QStringLiteral("All Files (*);;Images (*.gif *.jpg *.jpeg);;HTML Files (*.htm *.html);;ZIP Files (*.zip);;"
                          "Executables (*.exe)");
}

void TdlgLink::setSizeEnabled(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lblX, edX, lblY, edY})
        w->setEnabled(on);
}

void TdlgLink::prepare(Form form)
{
    m_names[static_cast<int>(m_form)] = edName->text();
    m_form = form;
    edName->setText(m_names[static_cast<int>(form)]);
    for (QWidget *w : std::initializer_list<QWidget *>{rbAuto, rbSize, chkHttp, chkNew, lblX, lblY, edX, edY})
        w->hide();
    switch (form) {
    case Form::Hyperlink:
        setWindowTitle(QStringLiteral("HyperLink Entry"));
        lblDes->setText(QStringLiteral("URL"));
        btnFind->hide();
        chkHttp->show();
        chkNew->show();
        chkHttp->setChecked(true);
        break;
    case Form::Image:
        setWindowTitle(QStringLiteral("Image Link"));
        lblDes->setText(QStringLiteral("Image File"));
        btnFind->show();
        for (QWidget *w : std::initializer_list<QWidget *>{rbAuto, rbSize, lblX, lblY, edX, edY})
            w->show();
        break;
    case Form::File:
        setWindowTitle(QStringLiteral("File Link"));
        lblDes->setText(QStringLiteral("File Name"));
        btnFind->show();
        break;
    }
    edName->setFocus();
}
