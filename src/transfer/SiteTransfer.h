#pragma once

#include "base/LogSink.h"
#include "data/UploadRow.h"
#include "transfer/LogText.h"
#include "transfer/UploadRecord.h"

#include <QSet>
#include <QString>
#include <QHash>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class BackgroundCopy;
class FtpClient;
class HostKeyFailure;
class KeyPassphraseFailure;
class KnownHosts;
class SessionPool;

// The files and images that entries refer to, sent with the next publish.
struct PendingLists {
    QStringList files;
    QStringList images;
    void clear()
    {
        files.clear();
        images.clear();
    }
    // After a run that worked on a copy (taken) of these lists and left
    // `left` of it: a run that sent them all takes its files off these lists,
    // and files added meanwhile stay. A run that left some changes nothing.
    void settleAfterRun(const PendingLists &taken, const PendingLists &left);
};

// Moves pages and pending files from the staging directory to a site: an FTP
// server through the FTP session, or a local directory by copying. Every step
// writes one log line; a failure is logged and counted, never thrown, and the
// caller goes on with the next file or upload.
//
// Given a SessionPool as its FTP client, files go to an FTP site over the
// pool's connections while the caller goes on: the run's steps (connect,
// directories, listings) over the first connection, the stores over any. The
// log reads as with one session: each file's lines come together, in the order
// the files were given, held back behind a file still on its way.
//
// Local copies never change the process's working directory: the directory is
// checked and the copy goes to an absolute path. A copy replaces its target
// atomically (a temporary file in the same directory renamed over it), so a
// reader never meets half a page. A target that already holds the same bytes
// is not rewritten.
class SiteTransfer {
public:
    SiteTransfer(QString stagingDir, LogSink log, FtpClient *ftp = nullptr);
    // Waits for a local copy still on its way, and logs how it ended.
    ~SiteTransfer();
    SiteTransfer(const SiteTransfer &) = delete;
    SiteTransfer &operator=(const SiteTransfer &) = delete;

    // Makes sure the FTP session is logged in to the host; true on success or reuse.
    bool ConnectSite(const QString &host, const QString &login, int port, const QString &password);
    // Enters the directory of an FTP site, or checks that a local one can be
    // entered. An empty directory changes nothing and succeeds.
    bool ChangeSiteDir(bool ftp, const QString &directory);
    // Stores (FTP) or copies (local) one file under the destination name.
    void SendFile(bool ftp, const QString &source, const QString &destinationDir, const QString &destinationName);
    // The whole transfer of one upload: connect, enter Directory, the pending
    // files and images when asked, then the page from the staging directory.
    // A local site, and an FTP site over a SessionPool, take the page's bytes
    // from page when given, and the page then need not be in the staging
    // directory; the log names it there all the same.
    void SendUpload(const UploadRow &upload, const QString &pageName, bool sendPending, const PendingLists &pending,
                    const QByteArray *page = nullptr);
    // Whether SendUpload takes an FTP site's page from the bytes given, so
    // that it need not be written into the staging directory first: so over
    // a SessionPool, whose connections send while the next pages are made.
    bool sendsPagesFromMemory() const { return m_pool != nullptr; }
    // Whether the upload's site holds this page with these bytes already, as
    // sending it would find: a local folder's file of the same bytes (after
    // any copy still on its way to it), or for an FTP site the bytes the
    // record holds and the size the site's listing shows. Only a listing
    // read earlier in the run is asked; without one the answer is no, and
    // the page goes by SendUpload, which reads the listing. Logs nothing; a
    // page held counts for progress as a file begun.
    bool siteHolds(const UploadRow &upload, const QString &pageName, const QByteArray &bytes);
    // The names of the files in the upload's directory: a local folder's,
    // or those the record holds for an FTP site.
    QStringList namesOnSite(const UploadRow &upload) const;
    // Closes an open FTP session, logging "Exiting site " and the host when asked.
    void EndSession(bool log);
    // Writes the log line for a failed FTP step.
    void ReportFtpError(const QString &message);

    // The names of LogText, as the run's steps use them.
    static bool holdsControl(const QString &text) { return LogText::holdsControl(text); }
    static QString visible(const QString &text) { return LogText::visible(text); }
    // The line for a page name that cannot be stored, naming the upload.
    static QString invalidPageName(const QString &name, int uploadId);

    // The number of "/" in an FTP path; 0 for a path of one character.
    static int CountLevels(const QString &path);

    // Files the run is about to send to the upload's site, added up over the
    // run: for progress, and for the files a site that failed will not get.
    void planFiles(const UploadRow &upload, int count);
    // Called as each file goes: its number in the run, the files planned
    // (never fewer) and the file's name. Files that go over a pool's
    // connections are counted as their lines are written, so the number
    // counts the files done.
    std::function<void(int sent, int planned, const QString &name)> progress;
    // Called with what the run waits for while no file goes: a connect
    // ("Connecting to HOST ..."), an answer to a question.
    std::function<void(const QString &text)> status;
    // The record of what reached each site. With it, a page whose bytes the
    // record holds and whose size the site's listing shows is not sent again
    // ("Unchanged on site: " and its name); sendAll ignores the record for
    // this run and rewrites it. Pending files and images always go.
    void setRecord(UploadRecord *record, bool sendAll)
    {
        m_record = record;
        m_sendAll = sendAll;
    }

    // The trusted host keys and certificates, where a newly trusted one is stored.
    void setKnownHosts(KnownHosts *knownHosts) { m_knownHosts = knownHosts; }
    // Asked when a site shows a host key or certificate that is not known yet
    // (never for one that changed): true trusts and stores it, and the connect
    // is tried again. A certificate with a fault beyond an unknown issuer
    // (expired, issued for other names) says so in its reasons.
    std::function<bool(const HostKeyFailure &)> trustNewHost;
    // Words added to the log line of a key or certificate that trustNewHost
    // did not trust: what would trust it.
    std::function<QString(const HostKeyFailure &)> refusalNote;
    // Asked when an SFTP login needs the passphrase of a key file (again
    // when the one given was wrong): the passphrase, or nothing to give up.
    std::function<std::optional<QString>(const KeyPassphraseFailure &)> askPassphrase;

    // Asks the run to stop before the next file (logged once); the rest is not sent.
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }
    // The status line of the ended run: "Stopped", "Publishing done", or
    // "Publishing done with N failure(s): see the log".
    QString outcome();

    // Local copies written on a thread of their own while the caller makes
    // the next pages. The log keeps its lines and their order: the lines that
    // follow a copy still on its way are held back until its closing line
    // ("Copy completed ..." or the error) is written. failures(), EndSession
    // and the end of the transfer wait for every copy and write every line;
    // only then are the files surely on disk. Progress is reported as the
    // files are begun, and may run a few lines ahead of the log.
    void setCopiesInBackground(bool on)
    {
        if (!on)
            settleCopy(); // a copy made now must not be overtaken by an older one
        m_copiesInBackground = on;
    }

    // When files did not reach the site (failed, given up, stopped or never
    // made): "N of M files did not reach the site", counted since the last
    // call, so once a run. Waits for the files on their way first.
    void logFilesNotReached();
    // How many files did not reach their site, and how many other steps
    // logged a failure, since the transfer was made. A file counts once
    // however many lines tell of its failure.
    int failures()
    {
        settleCopy();
        return m_failures;
    }
    // Logs a line that reports a failure, and counts it.
    void logFailure(const QString &line);
    // Writes a line of the run, or queues it behind the closing line of a
    // copy still on its way.
    void log(const QString &line);
    // True the first time a key is given: for a fault that many pages of a
    // run meet (an entry left out) but that is logged once.
    bool firstReport(const QString &key)
    {
        if (m_reported.contains(key))
            return false;
        m_reported.insert(key);
        return true;
    }

private:
    // What a run knows of a site, by host, port, login and password: after a refused
    // login or an untrusted key, or after the second connect that failed,
    // the site is given up for the run and its remaining files are not sent.
    struct SiteState {
        int planned = 0;        // files planned for it
        int begun = 0;          // files that came to it, sent or not
        int failedConnects = 0; // connects that failed
        bool givenUp = false;
        QString reason;    // why, as the connect failure said
        int announced = 0; // files still covered by the line that said so
    };
    static QString siteKey(const UploadRow &upload);
    // How the last failed connect ended: final when trying again cannot help.
    struct ConnectFailure {
        QString message;
        bool final = false;
    };
    // ConnectSite and ChangeSiteDir without counting their failure: the
    // caller counts the files that do not go.
    bool connectSite(const QString &host, const QString &login, int port, const QString &password);
    bool changeSiteDir(bool ftp, const QString &directory);
    // Logs "Error in FTP process - " and the message, uncounted.
    void logFtpError(const QString &message);
    // Counts files that did not reach their site.
    void filesFailed(int count);
    // After a failed connect: gives the site up when that was its last chance.
    void afterFailedConnect(SiteState &site, const QString &host);
    // An upload for a site given up: its files fail without a word, unless
    // the line that gave the site up did not count them.
    void skipUpload(SiteState &site, const QString &host, int files);
    static QString notSending(int files, const QString &host, const QString &reason);
    // The line of a local copy that failed.
    static QString copyFailure(const QString &source, const QString &reason)
    {
        return QStringLiteral("Error copying file ") + source + QStringLiteral(" - ") + reason;
    }
    // Lines held back behind a file on its way: a text, the place of a
    // copy's closing line (text is then the copy's source), or a store
    // handed to the pool (text is its source).
    struct QueuedLine {
        enum class Kind { Text, Copy, Store };
        QueuedLine(QString line, Kind what = Kind::Text) : text(std::move(line)), kind(what) {}
        QString text;
        Kind kind = Kind::Text;
        quint64 store = 0;
        bool announced = false; // "Transferring file " written
        int files = 0;          // files it stands for, counted for progress when written
        QString name;
        bool record = false; // a page the record covers: its site, directory and digest
        QString site, directory;
        UploadRecord::Entry digest;
        quint64 page = 0; // the upload it belongs to, over a pool; 0 for a line of the run
    };
    // Whether the lines of an upload over a pool may be written: a file of it
    // went, all were dropped by a stop, or not known yet.
    enum class PageState { Went, Dropped, Undecided };
    PageState pageState(quint64 page, bool wait) const;
    // After a stop: takes off the queued lines of an upload none of whose files was handed over.
    void dropLinesOf(quint64 page);
    // Writes the lines queued, up to the first file still on its way, or,
    // when wait is set, all of them, waiting for the files.
    void writeLines(bool wait);
    void writeEntry(const QueuedLine &entry);
    // Writes a store's lines as far as it has come; false while it is on its way.
    bool writeStore(QueuedLine &front, bool wait);
    // Hands a store to the pool, in turn with the lines before it.
    void submitStore(const QString &source, const QString &name, const std::optional<UploadRecord::Entry> &digest);
    // Waits for every copy on its way and writes the lines queued.
    void settleCopy();
    // Counts a file about to go; false once stopped.
    bool beginFile();
    // Writes a file's first line (none when it is empty) and counts the
    // files for progress when it is written.
    void logFile(const QString &line, const QString &name, int files = 1);
    void countFiles(int files, const QString &name);
    // Connects and logs in, asking about a key not known yet and for a key
    // file's passphrase, and tries again after each answer that helps.
    // Throws FtpFailure.
    void connectAsking(const QString &host, const QString &login, int port, const QString &password);
    // Why an FTP site cannot be asked for at all: a control character in its
    // host, login or password, a host holding a login; empty when it can.
    static QString siteProblem(const UploadRow &upload);
    // Checks the other names of an upload before any is logged: a control
    // character in a directory or the page name. Logs why, counts the
    // upload's files as failed and returns false for an upload that must not go.
    bool soundUpload(const UploadRow &upload, const QString &pageName, int files);
    // Writes the bytes to the local folder, unless it holds them already.
    void copyToDirectory(const QString &source, const QByteArray &bytes, const QString &destinationDir,
                         const QString &destinationName);

    QString m_stagingDir;
    LogSink m_log;
    FtpClient *m_ftp;
    bool pageUnchanged(const UploadRecord::Entry &local, const QString &name);
    // Deletes the temporary files in a directory's listing that no store of
    // this run made, and takes them off the listing.
    void removeLeftovers(std::optional<QHash<QString, qint64>> &listing);
    // Records a file that arrived; the line of a failure to record it, or nothing.
    QString remember(const QString &site, const QString &directory, const QString &name,
                     const UploadRecord::Entry &sent);
    SessionPool *m_pool;
    const QByteArray *m_pageBytes = nullptr; // the page being sent, for a pool
    QSet<QString> m_ourTemporaries;          // per site: temporary names this run stored
    int m_dropped = 0;                       // stores handed over and dropped by a stop
    int m_filesShown = 0;                    // files whose lines have been written, for progress
    struct Counts {
        int planned = 0, sent = 0, failedFiles = 0, dropped = 0;
    } m_runStart; // where the last "did not reach the site" count left off

    KnownHosts *m_knownHosts = nullptr;
    UploadRecord *m_record = nullptr;
    bool m_sendAll = false;
    bool m_checkPage = false; // the file being sent is a page the record covers
    QString m_siteKey, m_siteDir;
    QHash<QString, std::optional<QHash<QString, qint64>>> m_listings; // per site and directory, once a run
    QStringList m_refusedKeys;
    QHash<QString, SiteState> m_sites;
    ConnectFailure m_connectFailure;
    int m_failures = 0;
    int m_failedFiles = 0;
    QSet<QString> m_reported;
    QSet<QString> m_cleanedDirs;      // local folders already rid of abandoned temporary files
    QSet<QString> m_copiesOnTheirWay; // local files written since the copies last settled
    bool m_copiesInBackground = false;
    std::unique_ptr<BackgroundCopy> m_copy;
    std::deque<QueuedLine> m_lines;
    quint64 m_pages = 0, m_page = 0; // uploads begun over a pool; the one being sent
    int m_planned = 0;
    int m_sent = 0;
    bool m_stopRequested = false;
};
