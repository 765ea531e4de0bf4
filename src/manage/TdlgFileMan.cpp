#include "TdlgFileMan.h"

#include "ui/DialogPlacement.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TdlgFileMan::TdlgFileMan(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgFileMan"));
    setWindowTitle(QStringLiteral("Upload Manager"));
    lstFiles = new QListWidget;
    lstFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    btnAdd = new QPushButton(QStringLiteral("&Add ..."));
    btnDel = new QPushButton(QStringLiteral("&Delete"));
    btnOK = new QPushButton(QStringLiteral("&OK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"));
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnAdd, btnDel})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton *b : {btnOK, btnCancel})
        buttons->addWidget(b);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(lstFiles, 1);
    layout->addLayout(buttons);
    DialogPlacement::fixSize(this, QSize(520, 300));
    DialogPlacement::centreOnScreen(this);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDel, &QPushButton::clicked, this, &TdlgFileMan::deleteSelected);
    connect(btnAdd, &QPushButton::clicked, this, [this] {
        addFiles(QFileDialog::getOpenFileNames(
            this, QStringLiteral("Upload File Selection"), QString(),
            QStringLiteral("All Files (*);;HTML Files (*.htm *.html);;Zip Files (*.zip);;Executables (*.exe);;"
                           "Images (*.gif *.jpg *.jpeg)")));
    });
}

void TdlgFileMan::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    lstFiles->setFocus(); // the list comes first: Delete works at once
}

void TdlgFileMan::setFiles(const QStringList &files)
{
    lstFiles->clear();
    lstFiles->addItems(files);
}

QStringList TdlgFileMan::files() const
{
    QStringList out;
    for (int i = 0; i < lstFiles->count(); ++i)
        out << lstFiles->item(i)->text();
    return out;
}

void TdlgFileMan::addFiles(const QStringList &paths)
{
    lstFiles->addItems(paths);
}

void TdlgFileMan::deleteSelected()
{
    for (int i = lstFiles->count() - 1; i >= 0; --i) {
        if (lstFiles->item(i)->isSelected())
            delete lstFiles->takeItem(i);
    }
}
