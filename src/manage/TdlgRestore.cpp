#include "TdlgRestore.h"

#include "ui/DialogPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

TdlgRestore::TdlgRestore(const QList<Backup::Info> &backups, QWidget *parent) : QDialog(parent), m_backups(backups)
{
    setObjectName(QStringLiteral("dlgRestore"));
    setWindowTitle(QStringLiteral("Restore from Backup"));
    auto *label = new QLabel(backups.isEmpty() ? QStringLiteral("There is no backup yet.")
                                               : QStringLiteral("Backups, newest first:"));
    lstBackups = new QListWidget;
    for (const Backup::Info &info : backups) {
        const QString entries = info.entries < 0 ? QStringLiteral("journal table unreadable")
                                                 : QStringLiteral("%1 entries").arg(info.entries);
        lstBackups->addItem(QStringLiteral("%1   %2   (%3)")
                                .arg(QLocale().toString(info.date, QLocale::LongFormat), entries, info.name));
    }
    if (!backups.isEmpty())
        lstBackups->setCurrentRow(0);
    btnOK = new QPushButton(QStringLiteral("&Restore"));
    btnOK->setDefault(true);
    btnOK->setEnabled(!backups.isEmpty());
    btnCancel = new QPushButton(QStringLiteral("&Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lstBackups, 1);
    layout->addLayout(buttons);
    DialogPlacement::fixSize(this, QSize(460, 300));
    DialogPlacement::centreOnScreen(this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstBackups, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

Backup::Info TdlgRestore::chosen() const
{
    const int row = lstBackups->currentRow();
    return row >= 0 && row < m_backups.size() ? m_backups[row] : Backup::Info();
}
