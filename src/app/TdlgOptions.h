#pragma once

#include "publish/PublishTypes.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class Settings;

// The Options dialog: general publishing options, the firewall of the FTP
// session and the day and month names. Created once at start-up, it reads the
// settings file (LoadOptions), installs the day and month names for the whole
// program and holds the option values other parts read. Its controls keep what
// was typed between showings; only OK (followed by SaveOptions) changes the
// file, the names and the option values.
class TdlgOptions : public QDialog {
    Q_OBJECT
public:
    TdlgOptions(Settings &settings, QWidget *parent = nullptr);

    void LoadOptions();
    void SaveOptions();
    void SetProxyEnabled(bool on);
    void SetAuthEnabled(bool on);

    // The option values.
    const PublishOptions &options() const { return m_options; }
    bool useWindowsLogin() const { return m_useWindowsLogin; }

    // Controls, named as the program names them.
    QTabWidget *PageControl1;
    QCheckBox *chkLogin, *chkTag, *chkRandom, *chkKeepArchives, *chkPasv, *chkSocks;
    QSpinBox *edConnections; // connections per site
    QLineEdit *edDays, *edHost, *edPort, *edUser, *edPass;
    QRadioButton *rbPosts, *rbAbs;
    QComboBox *cmbVersion, *cmbAuth;
    QLabel *lblVersion, *lblHost, *lblPort, *lblAuth, *lblUser, *lblPass;
    QLineEdit *edSDay, *edLDay, *edSMon, *edLMon;
    QPushButton *btnSDay, *btnLDay, *btnSMon, *btnLMon;
    QListWidget *lbSDay, *lbLDay, *lbSMon, *lbLMon;
    QPushButton *OKBtn, *CancelBtn;

    void done(int result) override;

private:
    QWidget *generalTab();
    QWidget *firewallTab();
    QWidget *languageTab();
    void setOptionValues();

    Settings &m_settings;
    PublishOptions m_options;
    bool m_useWindowsLogin = false;
};
