#pragma once

#include "publish/PublishTypes.h"

#include <QString>
#include <QStringList>

class FtpClient;

// The files and images that entries refer to, sent with the next publish.
struct PendingLists {
    QStringList files;
    QStringList images;
    void clear()
    {
        files.clear();
        images.clear();
    }
};

// Moves pages and pending files from the staging directory to a site: an FTP
// server through the FTP session, or a local directory by copying. Every step
// writes one log line; a failure is logged and counted, never thrown, and the
// caller goes on with the next file or upload.
//
// Local copies never change the process's working directory: the directory is
// checked and the copy goes to an absolute path. A copy replaces its target
// atomically (a temporary file in the same directory renamed over it), so a
// reader never meets half a page. A target that already holds the same bytes
// is not rewritten.
class SiteTransfer {
public:
    SiteTransfer(QString stagingDir, LogSink log, FtpClient *ftp = nullptr);

    // Makes sure the FTP session is logged in to the host; true on success or reuse.
    bool ConnectSite(const QString &host, const QString &login, int port, const QString &password);
    // Enters the directory of an FTP site, or checks that a local one can be
    // entered. An empty directory changes nothing and succeeds.
    bool ChangeSiteDir(bool ftp, const QString &directory);
    // Stores (FTP) or copies (local) one file under the destination name.
    void SendFile(bool ftp, const QString &source, const QString &destinationDir, const QString &destinationName);
    // The whole transfer of one upload: connect, enter Directory, the pending
    // files and images when asked, then the page from the staging directory.
    void SendUpload(const UploadRow &upload, const QString &pageName, bool sendPending, const PendingLists &pending);
    // Closes an open FTP session, logging "Exiting site " and the host when asked.
    void EndSession(bool log);
    // Writes the log line for a failed FTP step.
    void ReportFtpError(const QString &message);

    // The number of "/" in an FTP path; 0 for a path of one character.
    static int CountLevels(const QString &path);

    // How many steps logged a failure since the transfer was made.
    int failures() const { return m_failures; }
    // Logs a line that reports a failure, and counts it.
    void logFailure(const QString &line);

private:
    void log(const QString &line) { m_log(line); }

    QString m_stagingDir;
    LogSink m_log;
    FtpClient *m_ftp;
    int m_failures = 0;
};
