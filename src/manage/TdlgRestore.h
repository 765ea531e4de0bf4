#pragma once

#include "engine/Backup.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// Restore from Backup: the backups, newest first, each with its day and the
// number of entries it holds. OK gives the chosen one; nothing is put back here.
class TdlgRestore : public QDialog {
    Q_OBJECT
public:
    explicit TdlgRestore(const QList<Backup::Info> &backups, QWidget *parent = nullptr);

    // The backup of the selected line; empty when there is none.
    Backup::Info chosen() const;

    QListWidget *lstBackups;
    QPushButton *btnOK, *btnCancel;

private:
    QList<Backup::Info> m_backups;
};
