#pragma once

#include "engine/TableHandle.h"

#include <QDate>
#include <QDialog>

#include <optional>

class QCalendarWidget;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class HtmlSyntaxHighlighter;

// The entry an entry link points at.
struct LinkTarget {
    qlonglong id = 0;
    QDate day;
    QString title;
};

// Link to Entry: the entries of the current journal on a day picked in a
// calendar, which shows the days with entries in bold. Moving to another
// month lists that month's day; Enter anywhere is OK.
class TdlgEntries : public QDialog {
    Q_OBJECT
public:
    TdlgEntries(Database &db, QWidget *parent = nullptr);

    // Lists the journal's entries of the day and shows the day.
    void showDay(int journalId, const QDate &day);
    // The selected entry, nothing when the list is empty.
    std::optional<LinkTarget> selected() const;

    QCalendarWidget *calDate;
    QTableWidget *dbGrid;
    QPlainTextEdit *dbEntry;
    TableHandle tblJot;

private:
    void showRow(int row);
    Database &m_db;
    int m_journal = 0;
    QDate m_day;
};

// Find: the text to look for, where, and whether letter case counts.
class TfrmFind : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFind(QWidget *parent = nullptr);
    QLineEdit *edFind;
    QRadioButton *rbCurr, *rbAll;
    QCheckBox *chkCase;
    QPushButton *btnFind, *btnCancel;

protected:
    void showEvent(QShowEvent *event) override;
};

// Entry List: the hits of a Find (journal, title, author, date and time),
// with the text of the selected one and the search text marked in it.
class TfrmList : public QDialog {
    Q_OBJECT
public:
    explicit TfrmList(QWidget *parent = nullptr);

    // Runs the statement and lists its rows; marks the word in the text pane.
    void showResults(Database &db, const QString &statement, const QString &word);
    std::optional<LinkTarget> selected() const;
    int count() const;

    QTableWidget *dbList;
    QPlainTextEdit *dbEntry;
    QPushButton *btnLink, *btnOK;
    HtmlSyntaxHighlighter *marker;

private:
    struct Hit {
        qlonglong id;
        QDate day;
        QString entry;
        QString title;
    };
    void showRow(int row);
    std::vector<Hit> m_hits;
};
