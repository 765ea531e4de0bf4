#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// The Upload Manager: the files waiting to go with the next publish. It edits
// a copy; the main window takes files() back only after OK.
class TdlgFileMan : public QDialog {
    Q_OBJECT
public:
    explicit TdlgFileMan(QWidget *parent = nullptr);

    void setFiles(const QStringList &files);
    QStringList files() const;
    // Appends paths to the list, as Add does after the file-open dialog.
    void addFiles(const QStringList &paths);
    // Removes the selected lines, last to first.
    void deleteSelected();

    QListWidget *lstFiles;
    QPushButton *btnAdd, *btnDel, *btnOK, *btnCancel;

protected:
    void showEvent(QShowEvent *event) override;
};
