#pragma once

#include <QMainWindow>

class Database;
class QLabel;
class QListWidget;

// The plain window the program opens on its first journal: the journal's name,
// how many entries it holds, and its most recent entries. It only reads.
class StartupWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit StartupWindow(Database &database, QWidget *parent = nullptr);

    // Re-reads the first journal and its entries; engine errors throw WrenError.
    void showFirstJournal();

    int journalId() const { return m_journalId; }

private:
    Database &m_db;
    QLabel *m_heading;
    QListWidget *m_entries;
    int m_journalId = 0;
};
