#pragma once

#include "manage/JournalSetup.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

// New Journal: one page of questions (name, author, archive period, where to
// publish, a look) whose answers JournalSetup turns into rows. Create closes
// the dialog only when the answers can make a journal; Cancel makes nothing.
class TdlgNewJournal : public QDialog {
    Q_OBJECT
public:
    explicit TdlgNewJournal(QWidget *parent = nullptr);

    // Starts again from empty answers, the author proposed.
    void reset(const QString &author = QString());
    JournalAnswers answers() const;

    // Create: closes when the answers make a journal; otherwise says what is
    // wrong and puts the focus on that answer.
    void accept() override;

    QLineEdit *edName, *edAuthor;
    QComboBox *cmbArcType;
    QComboBox *cmbEntryFormat; // "HTML", "Markdown"
    QRadioButton *rbLocal, *rbRemote;
    QLineEdit *edFolder;
    QPushButton *btnFolder;
    QComboBox *cmbProtocol; // the kinds of the sites page: FTP, FTP with TLS (explicit, implicit), SFTP
    QLabel *lblClear;       // says that plain FTP sends the password in clear
    QLineEdit *edHost, *edLogin, *edPassword, *edDirectory;
    QSpinBox *edPort;
    QLineEdit *edWebSite;
    QCheckBox *chkFeed;
    QLabel *lblFeed; // what the feed needs, and whether it will be made
    QListWidget *lstDesign;
    QPlainTextEdit *edFirst;
    QPushButton *btnCreate, *btnCancel;

private:
    void follow();
    SiteKind kind() const;
    void followFeed();
    QWidget *m_local = nullptr, *m_remote = nullptr;
};
