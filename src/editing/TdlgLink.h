#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

// The link dialog shared by HyperLink, Image and File Link. Made once and
// kept: the new-window box and the size stay for the next use, and each form
// shows the name last typed into it (an image never starts with the last
// hyperlink's address).
class TdlgLink : public QDialog {
    Q_OBJECT
public:
    enum class Form { Hyperlink, Image, File };

    explicit TdlgLink(QWidget *parent = nullptr);

    // Shows the controls of the form and its caption; the name is kept.
    void prepare(Form form);

    QLabel *lblDes, *lblX, *lblY;
    QLineEdit *edName, *edX, *edY;
    QToolButton *btnFind;
    QRadioButton *rbAuto, *rbSize;
    QCheckBox *chkHttp, *chkNew;

    // The filter of the file-open dialog of "...".
    static QString openFilter();

private:
    void setSizeEnabled(bool on);

    Form m_form = Form::File;
    QString m_names[3]; // the name last typed into each form
};
