#pragma once

#include <QDialog>

class QDateEdit;

// "Create Archives": the first and last day of the archives to publish.
class TdlgArchive : public QDialog {
    Q_OBJECT
public:
    explicit TdlgArchive(QWidget *parent = nullptr);
    QDateEdit *dtFrom;
    QDateEdit *dtTo;
};
