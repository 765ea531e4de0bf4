#include "SiteTransfer.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"
#include "transfer/BackgroundCopy.h"
#include "transfer/FtpClient.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/KnownHosts.h"
#include "transfer/SessionPool.h"
#include "transfer/SiteAddress.h"
#include "transfer/UploadRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace {

const QChar kDelimiter = u'/';

QString withDelimiter(const QString &directory)
{
    return directory.endsWith(kDelimiter) ? directory : directory + kDelimiter;
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(kDelimiter) + 1);
}

// An FTP account, as the record names it.
QString siteKeyOf(const UploadRow &upload)
{
    return QStringLiteral("%1 %2 %3").arg(upload.ftp).arg(upload.port).arg(upload.login);
}

// Files, and bytes, handed to the site's connections before the run waits.
constexpr int kStoresInHand = 64;
constexpr qint64 kBytesInHand = qint64{64} * 1024 * 1024;

} // namespace

QString SiteTransfer::siteProblem(const UploadRow &upload)
{
    const QString siteShown = visible(SiteAddress::shown(upload.ftp));
    if (holdsControl(upload.ftp))
        return QStringLiteral("The host \"%1\" holds a control character").arg(siteShown);
    if (const SiteAddress address = SiteAddress::parse(upload.ftp, upload.port); !address.problem.isEmpty())
        return address.problem;
    if (holdsControl(upload.login))
        return QStringLiteral("The login \"%1\" of site %2 holds a control character")
            .arg(visible(upload.login), siteShown);
    if (holdsControl(upload.password))
        return QStringLiteral("The password of site %1 holds a control character").arg(siteShown);
    return QString();
}

bool SiteTransfer::soundUpload(const UploadRow &upload, const QString &pageName, int files)
{
    for (const QString &directory : {upload.directory, upload.imageDir}) {
        if (holdsControl(directory)) {
            filesFailed(files);
            m_sent += files;
            log(QStringLiteral("The directory \"%1\" of upload %2 holds a control character")
                    .arg(visible(directory))
                    .arg(upload.id));
            logFile(QStringLiteral("Error changing directory!"), upload.directory, files);
            return false;
        }
    }
    if (holdsControl(pageName)) {
        filesFailed(files);
        m_sent += files;
        logFile(invalidPageName(pageName, upload.id), pageName, files);
        return false;
    }
    return true;
}

QString SiteTransfer::invalidPageName(const QString &name, int uploadId)
{
    return QStringLiteral("Invalid page name \"%1\" of upload %2: it holds a control character")
        .arg(visible(name))
        .arg(uploadId);
}

SiteTransfer::SiteTransfer(QString stagingDir, LogSink log, FtpClient *ftp)
    : m_stagingDir(std::move(stagingDir)), m_log(std::move(log)), m_ftp(ftp), m_pool(dynamic_cast<SessionPool *>(ftp))
{
}

SiteTransfer::~SiteTransfer()
{
    settleCopy();
}

int SiteTransfer::CountLevels(const QString &path)
{
    if (path.size() == 1)
        return 0;
    return static_cast<int>(path.count(u'/'));
}

bool SiteTransfer::ConnectSite(const QString &host, const QString &login, int port, const QString &password)
{
    if (connectSite(host, login, port, password))
        return true;
    ++m_failures;
    return false;
}

bool SiteTransfer::connectSite(const QString &host, const QString &login, int port, const QString &password)
{
    m_connectFailure = {};
    if (!m_ftp) {
        m_connectFailure = {QStringLiteral("this build of Wren cannot reach FTP sites"), true};
        logFtpError(m_connectFailure.message);
        return false;
    }
    try {
        // The open session serves only the same account on the same server:
        // another login on that host would store into the wrong account.
        if (m_ftp->isConnected() && m_ftp->host() == host && m_ftp->port() == port && m_ftp->login() == login)
            return true;
        // The files on their way go first, and the log is whole before a
        // connect keeps the run waiting or asks about a key.
        settleCopy();
        const QString connecting = QStringLiteral("Connecting to %1 ...").arg(host);
        if (status)
            status(connecting);
        const auto connected = qScopeGuard([this] {
            if (status)
                status(QString());
        });
        if (m_ftp->isConnected()) {
            log(QStringLiteral("Exiting site ") + m_ftp->host());
            m_ftp->disconnect();
        }
        log(QStringLiteral("Connecting to Site ") + host);
        connectAsking(host, login, port, password);
        log(QStringLiteral("Connected"));
        if (const QString note = m_ftp->connectNote(); !note.isEmpty())
            log(note);
        return true;
    } catch (const HostKeyFailure &failure) {
        m_connectFailure = {failure.message(), true}; // the key was refused
    } catch (const FtpFailure &failure) {
        m_connectFailure = {failure.message(), failure.kind() == FtpFailure::Kind::LoginRefused};
    } catch (const WrenError &error) {
        m_connectFailure = {error.message(), false};
    }
    logFtpError(m_connectFailure.message);
    return false;
}

void SiteTransfer::connectAsking(const QString &host, const QString &login, int port, const QString &password)
{
    for (int answers = 0;; ++answers) {
        try {
            m_ftp->connectTo(host, login, port, password);
            return;
        } catch (const HostKeyFailure &failure) {
            // A key the user refused is not asked about again in this run.
            const bool askable = !failure.changed && m_knownHosts && trustNewHost && answers < 3;
            if (askable && status && !m_refusedKeys.contains(failure.fingerprint))
                status(QStringLiteral("Waiting for your answer: trust the key of %1?").arg(host));
            if (!askable || m_refusedKeys.contains(failure.fingerprint) || !trustNewHost(failure)) {
                if (askable)
                    m_refusedKeys << failure.fingerprint;
                const QString note = askable && refusalNote ? refusalNote(failure) : QString();
                throw FtpFailure(failure.message() + note, FtpFailure::Kind::LoginRefused);
            }
            m_knownHosts->add(failure.host, failure.port, failure.kind, failure.fingerprint);
            log(QStringLiteral("Trusting the new host key of %1 port %2 (%3): %4")
                    .arg(failure.host)
                    .arg(failure.port)
                    .arg(failure.kind, failure.fingerprint));
        } catch (const KeyPassphraseFailure &failure) {
            if (askPassphrase && answers < 3 && status)
                status(QStringLiteral("Waiting for your answer: the passphrase of %1").arg(failure.keyFile));
            const std::optional<QString> passphrase =
                askPassphrase && answers < 3 ? askPassphrase(failure) : std::optional<QString>();
            if (!passphrase)
                throw;
            m_ftp->setKeyPassphrase(failure.keyFile, *passphrase);
        }
        if (status)
            status(QStringLiteral("Connecting to %1 ...").arg(host));
    }
}

bool SiteTransfer::ChangeSiteDir(bool ftp, const QString &directory)
{
    if (changeSiteDir(ftp, directory))
        return true;
    ++m_failures;
    return false;
}

bool SiteTransfer::changeSiteDir(bool ftp, const QString &directory)
{
    if (directory.isEmpty())
        return true;
    if (ftp) {
        if (!m_ftp) {
            logFtpError(QStringLiteral("this build of Wren cannot reach FTP sites"));
            return false;
        }
        try {
            const QString current = m_ftp->printWorkingDirectory();
            log(QStringLiteral("Current directory ") + current);
            log(QStringLiteral("New directory ") + directory);
            const QString target = directory.startsWith(u'/') ? directory : u'/' + directory;
            if (current.compare(target, Qt::CaseInsensitive) == 0)
                return true;
            for (int n = CountLevels(target); n > 0; --n) {
                log(QStringLiteral("Going up one ..."));
                m_ftp->changeUp();
            }
            m_ftp->changeDirectory(target);
            return true;
        } catch (const FtpFailure &failure) {
            logFtpError(failure.message());
            return false;
        }
    }

    const QString local = withDelimiter(directory);
    log(QStringLiteral("Changing directory to ") + local);
    const QFileInfo info(local);
    if (!info.isDir() || !info.isExecutable()) {
        log(QStringLiteral("Cannot find directory ") + local);
        return false;
    }
    return true;
}

bool SiteTransfer::beginFile()
{
    if (m_stopRequested)
        return false;
    ++m_sent;
    return true;
}

void SiteTransfer::SendFile(bool ftp, const QString &source, const QString &destinationDir,
                            const QString &destinationName)
{
    if (!beginFile())
        return;
    // A name that would break the log line into two is never written there.
    if (holdsControl(source) || holdsControl(destinationName)) {
        logFailure(
            QStringLiteral("The file \"%1\" holds a control character in its name; not sent").arg(visible(source)));
        return;
    }
    if (ftp) {
        std::optional<UploadRecord::Entry> digest;
        if (m_checkPage) {
            digest = m_pageBytes ? UploadRecord::digestOf(*m_pageBytes) : UploadRecord::digestOf(source);
            if (digest && pageUnchanged(*digest, destinationName)) {
                logFile(QStringLiteral("Unchanged on site: ") + destinationName, destinationName);
                return;
            }
        }
        m_ourTemporaries.insert(m_siteKey + u'\n' + CurlFtpClient::temporaryName(destinationName));
        if (m_pool) {
            submitStore(source, destinationName, digest);
            return;
        }
        logFile(QStringLiteral("Transferring file ") + source, destinationName);
        if (!m_ftp) {
            filesFailed(1);
            logFtpError(QStringLiteral("this build of Wren cannot reach FTP sites"));
            return;
        }
        try {
            m_ftp->store(source, destinationName);
        } catch (const FtpFailure &failure) {
            filesFailed(1);
            logFtpError(failure.message());
            return;
        }
        if (digest) {
            if (const QString failure = remember(m_siteKey, m_siteDir, destinationName, *digest); !failure.isEmpty())
                logFailure(failure);
        }
        return;
    }

    logFile(QStringLiteral("Copying file ") + source, destinationName);
    settleCopy(); // the file may be one that a copy still on its way writes
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        filesFailed(1);
        log(copyFailure(source, in.errorString()));
        return;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        filesFailed(1);
        log(copyFailure(source, in.errorString()));
        return;
    }
    copyToDirectory(source, bytes, destinationDir, destinationName);
}

void SiteTransfer::submitStore(const QString &source, const QString &name,
                               const std::optional<UploadRecord::Entry> &digest)
{
    // A bounded number of files, and of bytes, waits for a connection.
    const qint64 size = m_pageBytes ? m_pageBytes->size() : 0;
    while (true) {
        const quint64 since = m_pool->changes();
        writeLines(false);
        if (m_pool->storesInHand() < kStoresInHand && m_pool->bytesInHand() + size <= kBytesInHand)
            break;
        m_pool->waitForChange(since);
    }
    SessionPool::Store store;
    store.directory = m_pool->knownDirectory();
    store.remoteName = name;
    store.localPath = source;
    if (m_pageBytes) {
        store.bytes = *m_pageBytes;
        store.fromMemory = true;
    }
    QueuedLine line{source, QueuedLine::Kind::Store};
    line.store = m_pool->submit(std::move(store));
    line.name = name;
    line.page = m_page;
    if (digest) {
        line.record = true;
        line.site = m_siteKey;
        line.directory = m_siteDir;
        line.digest = *digest;
    }
    m_lines.push_back(std::move(line));
    writeLines(false);
}

void SiteTransfer::copyToDirectory(const QString &source, const QByteArray &bytes, const QString &destinationDir,
                                   const QString &destinationName)
{
    const QString destination = withDelimiter(destinationDir) + destinationName;
    m_copiesOnTheirWay.insert(destination);
    // Temporary files a killed run left in this folder go before anything is written.
    if (!m_cleanedDirs.contains(destinationDir)) {
        settleCopy(); // none of ours may be on its way there, under another spelling of the folder
        m_cleanedDirs.insert(destinationDir);
        AtomicFile::removeAbandonedTemporaries(destinationDir);
    }
    // A destination that already holds these bytes is left alone: its time
    // stays that of the last change, and nothing is written for nothing.
    if (m_copiesInBackground) {
        if (!m_copy)
            m_copy = std::make_unique<BackgroundCopy>();
        // A bounded number of pages, and of bytes, waits for the disk at a time.
        if (m_copy->inHand() >= 32 || m_copy->bytesInHand() + bytes.size() > qint64{64} * 1024 * 1024)
            settleCopy();
        m_copy->add(destination, bytes);
        m_lines.push_back({source, QueuedLine::Kind::Copy});
        return;
    }
    const BackgroundCopy::Outcome outcome = BackgroundCopy::copy(destination, bytes);
    if (outcome.ok) {
        log(QStringLiteral("Copy completed ..."));
    } else {
        filesFailed(1);
        log(copyFailure(source, outcome.error));
    }
}

void SiteTransfer::SendUpload(const UploadRow &upload, const QString &pageName, bool sendPending,
                              const PendingLists &pending, const QByteArray *page)
{
    if (m_stopRequested)
        return;
    const bool ftp = upload.siteActive;
    const int files = 1 + (sendPending ? static_cast<int>(pending.files.size() + pending.images.size()) : 0);
    // Over a pool the page's lines wait behind the files before it; a stop
    // that drops its files drops its lines too: a page never begun says nothing.
    m_page = ftp && m_pool ? ++m_pages : 0;
    const auto pageDone = qScopeGuard([this] {
        if (m_stopRequested && m_page)
            dropLinesOf(m_page);
        m_page = 0;
        writeLines(false);
    });
    if (ftp) {
        SiteState &site = m_sites[siteKey(upload)];
        // The host as the log may show it: never a password written into it.
        const QString shown = visible(SiteAddress::shown(upload.ftp));
        if (site.givenUp) {
            site.begun += files;
            skipUpload(site, shown, files);
            return;
        }
        // A site that cannot be asked for is refused once, like a refused login.
        if (const QString problem = siteProblem(upload); !problem.isEmpty()) {
            site.begun += files;
            filesFailed(files);
            m_sent += files;
            logFtpError(problem);
            logFile(QStringLiteral("Could not connect to site ") + shown, shown, files);
            m_connectFailure = {problem, true};
            afterFailedConnect(site, shown);
            return;
        }
    }
    if (!soundUpload(upload, pageName, files))
        return;
    if (ftp) {
        m_siteKey = siteKeyOf(upload);
        m_siteDir = upload.directory;
        SiteState &site = m_sites[siteKey(upload)];
        site.begun += files;
        if (!connectSite(upload.ftp, upload.login, upload.port, upload.password)) {
            filesFailed(files);
            m_sent += files;
            logFile(QStringLiteral("Could not connect to site ") + upload.ftp, upload.ftp, files);
            afterFailedConnect(site, upload.ftp);
            return;
        }
    }
    // A local site without a directory would copy into the file-system root.
    if ((!ftp && upload.directory.isEmpty()) || !changeSiteDir(ftp, upload.directory)) {
        filesFailed(files);
        m_sent += files;
        logFile(QStringLiteral("Error changing directory!"), upload.directory, files);
        return;
    }
    const QString destination = withDelimiter(upload.directory);
    if (sendPending) {
        for (const QString &path : pending.files)
            SendFile(ftp, path, destination, fileNameOf(path));
        const bool useImageDir = !pending.images.isEmpty() && !upload.imageDir.isEmpty();
        QString imageDestination = destination;
        if (useImageDir) {
            ChangeSiteDir(ftp, upload.imageDir); // the images then go where the session is
            imageDestination = withDelimiter(upload.imageDir);
        }
        for (const QString &path : pending.images)
            SendFile(ftp, path, imageDestination, fileNameOf(path));
        if (useImageDir)
            ChangeSiteDir(ftp, upload.directory);
    }
    const QString source = QDir(m_stagingDir).filePath(pageName);
    if (ftp || !page) {
        // The connections take the page from memory, so that a page of the
        // same name made for the next upload cannot change it on its way.
        m_checkPage = ftp && m_record;
        m_pageBytes = m_pool ? page : nullptr;
        SendFile(ftp, source, destination, pageName);
        m_checkPage = false;
        m_pageBytes = nullptr;
        return;
    }
    // A local site gets the page straight from memory: the log reads as for a copy.
    if (!beginFile())
        return;
    logFile(QStringLiteral("Copying file ") + source, pageName);
    copyToDirectory(source, *page, destination, pageName);
}

bool SiteTransfer::pageUnchanged(const UploadRecord::Entry &local, const QString &name)
{
    if (m_sendAll || !m_ftp)
        return false;
    const std::optional<UploadRecord::Entry> sent = m_record->find(m_siteKey, m_siteDir, name);
    if (!sent || local.sha256 != sent->sha256 || local.size != sent->size)
        return false;
    // The site itself is asked once a run for each directory, so a file
    // deleted or changed there by hand goes again.
    const QString key = m_siteKey + u'\n' + m_siteDir;
    if (!m_listings.contains(key)) {
        try {
            m_listings.insert(key, m_ftp->listSizes());
        } catch (const FtpFailure &) {
            m_listings.insert(key, std::nullopt);
        }
        removeLeftovers(m_listings[key]);
    }
    const std::optional<QHash<QString, qint64>> &listing = m_listings[key];
    return listing && listing->value(name, -1) == local.size;
}

void SiteTransfer::removeLeftovers(std::optional<QHash<QString, qint64>> &listing)
{
    if (!listing)
        return;
    // Temporary files of stores that never ended: a run stopped, timed out
    // or killed. Those of this run's own stores, on their way over other
    // connections, stay.
    const QString suffix = QStringLiteral(".wren-part");
    QStringList leftovers;
    for (auto it = listing->cbegin(); it != listing->cend(); ++it) {
        const QString &name = it.key();
        if (name.size() > suffix.size() + 1 && name.startsWith(u'.') && name.endsWith(suffix) &&
            !m_ourTemporaries.contains(m_siteKey + u'\n' + name))
            leftovers << name;
    }
    leftovers.sort();
    for (const QString &name : std::as_const(leftovers)) {
        try {
            m_ftp->removeFile(name);
            listing->remove(name);
            log(QStringLiteral("Deleted %1, left on the site by an earlier run").arg(name));
        } catch (const FtpFailure &failure) {
            log(QStringLiteral("Could not delete %1, left on the site by an earlier run: %2")
                    .arg(name, failure.message()));
        }
    }
}

bool SiteTransfer::siteHolds(const UploadRow &upload, const QString &pageName, const QByteArray &bytes)
{
    if (m_stopRequested || upload.directory.isEmpty())
        return false;
    if (!upload.siteActive) {
        const QString destination = withDelimiter(upload.directory) + pageName;
        if (m_copiesOnTheirWay.contains(destination))
            settleCopy(); // the folder is compared as this run left it
        if (!AtomicFile::holds(destination, bytes))
            return false;
    } else {
        if (m_sendAll || !m_record || !m_ftp)
            return false;
        const QString site = siteKeyOf(upload);
        const std::optional<UploadRecord::Entry> sent = m_record->find(site, upload.directory, pageName);
        if (!sent || sent->size != bytes.size() || sent->sha256 != UploadRecord::digestOf(bytes).sha256)
            return false;
        const auto listing = m_listings.constFind(site + u'\n' + upload.directory);
        if (listing == m_listings.cend() || !listing.value() || listing.value()->value(pageName, -1) != bytes.size())
            return false;
    }
    if (!beginFile())
        return false;
    logFile(QString(), pageName); // counted, without a line
    return true;
}

QStringList SiteTransfer::namesOnSite(const UploadRow &upload) const
{
    if (upload.directory.isEmpty())
        return {};
    if (!upload.siteActive)
        return QDir(upload.directory).entryList(QDir::Files | QDir::Hidden);
    return m_record ? m_record->names(siteKeyOf(upload), upload.directory) : QStringList();
}

QString SiteTransfer::remember(const QString &site, const QString &directory, const QString &name,
                               const UploadRecord::Entry &sent)
{
    auto found = m_listings.find(site + u'\n' + directory);
    if (found != m_listings.end() && found.value())
        found.value()->insert(name, sent.size);
    try {
        m_record->record(site, directory, name, sent);
    } catch (const WrenError &error) {
        return error.message();
    }
    return QString();
}

void SiteTransfer::EndSession(bool logLine)
{
    settleCopy();
    if (!m_ftp || !m_ftp->isConnected())
        return;
    if (logLine)
        log(QStringLiteral("Exiting site ") + m_ftp->host());
    m_ftp->disconnect();
}

void PendingLists::settleAfterRun(const PendingLists &taken, const PendingLists &left)
{
    if (!left.files.isEmpty() || !left.images.isEmpty())
        return;
    for (const QString &f : taken.files)
        files.removeOne(f);
    for (const QString &f : taken.images)
        images.removeOne(f);
}

QString SiteTransfer::outcome()
{
    if (stopRequested())
        return QStringLiteral("Stopped");
    const int failed = failures();
    return failed == 0 ? QStringLiteral("Publishing done")
                       : QStringLiteral("Publishing done with %1 failure(s): see the log").arg(failed);
}
