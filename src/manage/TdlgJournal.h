#pragma once

#include "base/Settings.h"
#include "engine/TableHandle.h"
#include "manage/JournalManagementLayout.h"
#include "manage/RecordControls.h"

#include <QDialog>

#include <map>
#include <memory>

// Journal Management: the sites, templates, journals and uploads, one current
// row per table, edited in place. Made once at start; its tables stay open
// and every page keeps its state between showings.
class TdlgJournal : public QDialog, public JournalManagementLayout {
    Q_OBJECT
public:
    explicit TdlgJournal(Database &db, QWidget *parent = nullptr);
    ~TdlgJournal() override;

    // OK stores the pending row of each table, Cancel drops it, in the order
    // sites, templates, journals, uploads.
    void done(int result) override;

    // Navigator actions, as the buttons run them.
    void siteAction(RecordNavigator::Button which);
    void templateAction(RecordNavigator::Button which);
    void journalAction(RecordNavigator::Button which);
    // The upload page's buttons.
    void btnAddClick();
    void btnEdtClick();
    void btnSavClick();
    void btnDelClick();
    // Makes the upload in line row of the list current.
    void selectUpload(int row);
    // Templates, "New from design ...": stores the page template and the
    // archive index template of a starter design (key "feed": the Atom feed
    // template) for the current journal, and shows the first of them.
    void newFromDesign(const QString &key);

    // Where the journals' entry formats are kept; without it the Entry Format
    // choice is off.
    void setSettings(Settings &settings);
    // The Entry Format choice for the current journal, as the user makes it:
    // for a journal with entries it asks first, since they are not converted.
    void cmbEntryFormatChange(int index);

    // The fifteen lines of the format help.
    static QStringList formatHelp();

    TableHandle tblSites, tblTemplate, tblUploads, tblNames;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Ties the pages' controls to the tables and to the commands.
    void wirePages();
    void guard(const std::function<void()> &action);
    void navigate(TableHandle &table, RecordNavigator::Button which);
    // Reads a table again, keeping its current row, when it has nothing pending.
    static void reread(TableHandle &table);
    // Fills every page, the look-up lists and the upload list from the tables.
    void showAll();
    void deleteJournal();
    // Shows host, port and login for an FTP site, the folders for a local one.
    void showSiteKind();
    // Counts the entries whose journal does not exist, and offers to take them in.
    void showLostEntries();
    // Moves those entries into the journal shown on the Journals page.
    void adoptEntries();
    void chooseTemplateFile();

    Database &m_db;
    std::unique_ptr<FieldBinder> m_sites, m_templates, m_names, m_uploads;
    bool m_filling = false;
    Settings *m_settings = nullptr;
    // Entry formats chosen and not stored yet, by journal ID (-1: the new
    // journal being added). A journal's choice is stored with its row, or at
    // OK; Cancel drops what is left.
    std::map<qlonglong, EntryFormat> m_formats;
    void showEntryFormat();
    void storeEntryFormat(qlonglong id);
    int m_lostEntries = 0;
};
