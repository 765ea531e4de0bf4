#pragma once

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QWidget;
class RecordNavigator;

// The controls of Journal Management, named as the program names them, on
// their four pages: FTP Sites, Templates, Journals and Sites (the uploads).
// It makes them and lays them out; what they do is wired by the dialog.
// Every pointer is owned by the dialog's widgets.
class JournalManagementLayout {
public:
    QTabWidget *pages;
    RecordNavigator *navSites, *navTemplate, *navNames;
    QLineEdit *dbSiteName, *DBEdit1, *DBEdit2, *DBEdit3, *DBEdit4;
    QCheckBox *dbFTP;
    QFormLayout *siteForm;
    QLabel *lblFolder;      // a local folder site: the folders its uploads copy into
    QComboBox *cmbProtocol; // the scheme of the host: FTP, FTP with TLS, SFTP
    QLineEdit *dbTmpName, *edRemote;
    QPushButton *btnTemp, *btnDesign;
    QPlainTextEdit *dbTemplate;
    QLineEdit *edName, *edDtFmt, *edTmFmt, *edArcDtFmt, *edURL, *edAuthor;
    QCheckBox *chkRev, *chkArcRev;
    QComboBox *cmbArcType;
    QComboBox *cmbEntryFormat; // "HTML", "Markdown": kept in the settings file, not the table
    QPlainTextEdit *lblFmt;
    QTableWidget *DBGrid1;
    QComboBox *dbJournal, *cmbSite, *cmbJTemp, *cmbATemp;
    QLineEdit *edJFile, *edAFile, *dbArcExt, *edDir, *edImgDir;
    QCheckBox *chkActive, *dbAutoArc;
    QPushButton *btnAdd, *btnEdt, *btnSav, *btnDel;
    QPushButton *btnAdopt; // shown while entries belong to no journal

protected:
    // Makes pages and the four pages on it.
    void setupPages();

private:
    QWidget *sitesPage();
    QWidget *templatesPage();
    QWidget *journalsPage();
    QWidget *uploadsPage();
};
