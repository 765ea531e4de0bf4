#pragma once

#include <QDialog>

// "About": the program icon, its name and version, and credits.
class TdlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit TdlgAbout(QWidget *parent = nullptr);
};
