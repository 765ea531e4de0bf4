#pragma once

#include "app/PublishControl.h"

#include <QDate>
#include <QObject>

#include <functional>
#include <optional>
#include <utility>

class QWidget;
class TdlgArchive;

// The window's Publish Entries, Send All Files and Publish Archives: the
// unsaved change is settled first, the range of the archives asked in their
// dialog, and the run handed to PublishControl. Errors reach the caller.
class PublishCommands : public QObject {
public:
    struct Window {
        QWidget *widget;                       // the dialogs' parent, closed after a run when asked
        std::function<bool()> settle;          // the unsaved-changes prompt; false stops the command
        std::function<PublishInputs()> inputs; // the journal on view and what it sends
    };
    PublishCommands(PublishControl &control, Window window);

    void publish();
    // Publishes as publish() does, sending every page whatever the upload record says.
    void sendAll();
    void archive();
    // The window closes once the run under way has ended.
    void closeAfterRun() { m_closeAfterRun = true; }

private:
    void run(const std::function<void(PublishRun &, SiteTransfer &)> &work);
    // The first and last day the archives of the journal on view can cover.
    std::optional<std::pair<QDate, QDate>> archiveRange();

    PublishControl &m_control;
    Window m_window;
    TdlgArchive *m_dlgArchive;
    bool m_closeAfterRun = false;
};
