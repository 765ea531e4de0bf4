#include "SiteTransfer.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"
#include "transfer/BackgroundCopy.h"
#include "transfer/FtpClient.h"
#include "transfer/KnownHosts.h"
#include "transfer/SiteAddress.h"
#include "transfer/UploadRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

bool SiteTransfer::holdsControl(const QString &text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

QString SiteTransfer::visible(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c))
            shown += c;
        else if (c == u'\r')
            shown += QLatin1String("\\r");
        else if (c == u'\n')
            shown += QLatin1String("\\n");
        else if (c == u'\t')
            shown += QLatin1String("\\t");
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), c.unicode() > 0xFF ? 4 : 2, 16, QLatin1Char('0'));
    }
    return shown;
}

bool SiteTransfer::soundUpload(const UploadRow &upload, const QString &pageName)
{
    const QString siteShown = visible(SiteAddress::shown(upload.ftp));
    if (upload.siteActive) {
        QString problem;
        if (holdsControl(upload.ftp))
            problem = QStringLiteral("The host \"%1\" holds a control character").arg(siteShown);
        else if (const SiteAddress address = SiteAddress::parse(upload.ftp, upload.port); !address.problem.isEmpty())
            problem = address.problem;
        else if (holdsControl(upload.login))
            problem = QStringLiteral("The login \"%1\" of site %2 holds a control character")
                          .arg(visible(upload.login), siteShown);
        else if (holdsControl(upload.password))
            problem = QStringLiteral("The password of site %1 holds a control character").arg(siteShown);
        if (!problem.isEmpty()) {
            ReportFtpError(problem);
            logFailure(QStringLiteral("Could not connect to site ") + siteShown);
            return false;
        }
    }
    for (const QString &directory : {upload.directory, upload.imageDir}) {
        if (holdsControl(directory)) {
            logFailure(QStringLiteral("The directory \"%1\" of upload %2 holds a control character")
                           .arg(visible(directory))
                           .arg(upload.id));
            logFailure(QStringLiteral("Error changing directory!"));
            return false;
        }
    }
    if (holdsControl(pageName)) {
        logFailure(invalidPageName(pageName, upload.id));
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
    : m_stagingDir(std::move(stagingDir)), m_log(std::move(log)), m_ftp(ftp)
{
}

SiteTransfer::~SiteTransfer()
{
    settleCopy();
}

void SiteTransfer::settleCopy()
{
    writeLines(true);
    m_copiesOnTheirWay.clear();
}

void SiteTransfer::writeLines(bool wait)
{
    while (!m_lines.empty()) {
        QString line;
        if (!m_lines.front().isCopy) {
            line = m_lines.front().text;
        } else {
            const std::optional<BackgroundCopy::Outcome> outcome = m_copy->takeOldest(wait);
            if (!outcome)
                return;
            if (outcome->ok) {
                line = QStringLiteral("Copy completed ...");
            } else {
                filesFailed(1);
                line = copyFailure(m_lines.front().text, outcome->error);
            }
        }
        // Taken off before it is written: a log that comes back here, or
        // fails, cannot write a line twice or pair a copy with another's line.
        m_lines.pop_front();
        m_log(line);
    }
}

void SiteTransfer::log(const QString &line)
{
    writeLines(false);
    if (m_lines.empty())
        m_log(line);
    else
        m_lines.push_back({line, false});
}

void SiteTransfer::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    logFailure(QStringLiteral("Stopped by the user: the files not sent yet stay unsent"));
}

void SiteTransfer::logFailure(const QString &line)
{
    ++m_failures;
    log(line);
}

void SiteTransfer::ReportFtpError(const QString &message)
{
    ++m_failures;
    logFtpError(message);
}

void SiteTransfer::logFtpError(const QString &message)
{
    log(QStringLiteral("Error in FTP process - ") + message);
}

void SiteTransfer::filesFailed(int count)
{
    m_failures += count;
    m_failedFiles += count;
}

QString SiteTransfer::siteKey(const UploadRow &upload)
{
    // Another password is another try at the login.
    return QStringLiteral("%1 %2 %3\n%4").arg(upload.ftp).arg(upload.port).arg(upload.login, upload.password);
}

void SiteTransfer::planFiles(const UploadRow &upload, int count)
{
    m_planned += count;
    if (upload.siteActive)
        m_sites[siteKey(upload)].planned += count;
}

QString SiteTransfer::notSending(int files, const QString &host, const QString &reason)
{
    return QStringLiteral("Not sending %1 %2 to %3: %4")
        .arg(files)
        .arg(files == 1 ? QStringLiteral("file") : QStringLiteral("files"), host, reason);
}

void SiteTransfer::afterFailedConnect(SiteState &site, const QString &host)
{
    // A line that dropped once may come back; a refused login or key will not.
    if (!m_connectFailure.final && ++site.failedConnects < 2)
        return;
    site.givenUp = true;
    site.reason = m_connectFailure.message;
    site.announced = std::max(0, site.planned - site.begun);
    if (site.announced > 0)
        log(notSending(site.announced, host, site.reason));
}

void SiteTransfer::skipUpload(SiteState &site, const QString &host, int files)
{
    filesFailed(files);
    m_sent += files;
    if (site.announced >= files) {
        site.announced -= files;
        return;
    }
    log(notSending(files, host, site.reason));
    site.announced = 0;
}

QString SiteTransfer::trustQuestion(const HostKeyFailure &failure)
{
    const QString site =
        QStringLiteral("The site %1 port %2 (%3)").arg(failure.host).arg(failure.port).arg(failure.kind);
    const QString keep = QStringLiteral("Wren stores it and refuses the site if its %1 changes later.");
    if (failure.kind == QLatin1String("sftp")) {
        const QString key =
            failure.keyType.isEmpty() ? QStringLiteral("a key") : QStringLiteral("an %1 key").arg(failure.keyType);
        return QStringLiteral("%1 shows %2 that Wren does not know yet. Its fingerprint is\n\n%3\n\nTrust this key "
                              "for the site? ")
                   .arg(site, key, failure.fingerprint) +
               keep.arg(QStringLiteral("key"));
    }
    const QString why = failure.reasons.join(QStringLiteral("; "));
    if (failure.onlyIssuerUnknown)
        return QStringLiteral("%1 shows a certificate that Wren does not know yet: %2. Its fingerprint is\n\n%3\n\n"
                              "Trust this certificate for the site? ")
                   .arg(site, why, failure.fingerprint) +
               keep.arg(QStringLiteral("certificate"));
    return QStringLiteral("%1 shows a certificate that is not valid: %2.\n\nSomebody may be posing as the site. Its "
                          "fingerprint is\n\n%3\n\nTrust this certificate anyway? ")
               .arg(site, why, failure.fingerprint) +
           keep.arg(QStringLiteral("certificate"));
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
            const std::optional<QString> passphrase =
                askPassphrase && answers < 3 ? askPassphrase(failure) : std::optional<QString>();
            if (!passphrase)
                throw;
            m_ftp->setKeyPassphrase(failure.keyFile, *passphrase);
        }
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

bool SiteTransfer::beginFile(const QString &destinationName)
{
    if (m_stopRequested)
        return false;
    ++m_sent;
    if (progress)
        progress(m_sent, std::max(m_planned, m_sent), destinationName);
    return true;
}

void SiteTransfer::SendFile(bool ftp, const QString &source, const QString &destinationDir,
                            const QString &destinationName)
{
    if (!beginFile(destinationName))
        return;
    // A name that would break the log line into two is never written there.
    if (holdsControl(source) || holdsControl(destinationName)) {
        logFailure(
            QStringLiteral("The file \"%1\" holds a control character in its name; not sent").arg(visible(source)));
        return;
    }
    if (ftp) {
        if (m_checkPage && pageUnchanged(source, destinationName)) {
            log(QStringLiteral("Unchanged on site: ") + destinationName);
            return;
        }
        log(QStringLiteral("Transferring file ") + source);
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
        if (m_checkPage)
            remember(source, destinationName);
        return;
    }

    log(QStringLiteral("Copying file ") + source);
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
        if (m_copy->inHand() >= 32 || m_copy->bytesInHand() + bytes.size() > 64 * 1024 * 1024)
            settleCopy();
        m_copy->add(destination, bytes);
        m_lines.push_back({source, true});
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
    if (m_stopRequested || !soundUpload(upload, pageName))
        return;
    const bool ftp = upload.siteActive;
    const int files = 1 + (sendPending ? static_cast<int>(pending.files.size() + pending.images.size()) : 0);
    if (ftp) {
        // A server may keep the run waiting, or ask about its key: the log is
        // whole before that.
        settleCopy();
        SiteState &site = m_sites[siteKey(upload)];
        site.begun += files;
        if (site.givenUp) {
            skipUpload(site, upload.ftp, files);
            return;
        }
        if (!connectSite(upload.ftp, upload.login, upload.port, upload.password)) {
            filesFailed(files);
            log(QStringLiteral("Could not connect to site ") + upload.ftp);
            afterFailedConnect(site, upload.ftp);
            return;
        }
    }
    // A local site without a directory would copy into the file-system root.
    if ((!ftp && upload.directory.isEmpty()) || !changeSiteDir(ftp, upload.directory)) {
        filesFailed(files);
        log(QStringLiteral("Error changing directory!"));
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
        m_checkPage = ftp && m_record;
        m_siteKey = siteKeyOf(upload);
        m_siteDir = upload.directory;
        SendFile(ftp, source, destination, pageName);
        m_checkPage = false;
        return;
    }
    // A local site gets the page straight from memory: the log reads as for a copy.
    if (!beginFile(pageName))
        return;
    log(QStringLiteral("Copying file ") + source);
    copyToDirectory(source, *page, destination, pageName);
}

bool SiteTransfer::pageUnchanged(const QString &source, const QString &name)
{
    if (m_sendAll || !m_ftp)
        return false;
    const std::optional<UploadRecord::Entry> local = UploadRecord::digestOf(source);
    const std::optional<UploadRecord::Entry> sent = m_record->find(m_siteKey, m_siteDir, name);
    if (!local || !sent || local->sha256 != sent->sha256 || local->size != sent->size)
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
    }
    const std::optional<QHash<QString, qint64>> &listing = m_listings[key];
    return listing && listing->value(name, -1) == local->size;
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
    return beginFile(pageName);
}

QStringList SiteTransfer::namesOnSite(const UploadRow &upload) const
{
    if (upload.directory.isEmpty())
        return {};
    if (!upload.siteActive)
        return QDir(upload.directory).entryList(QDir::Files | QDir::Hidden);
    return m_record ? m_record->names(siteKeyOf(upload), upload.directory) : QStringList();
}

void SiteTransfer::remember(const QString &source, const QString &name)
{
    const std::optional<UploadRecord::Entry> local = UploadRecord::digestOf(source);
    if (!local)
        return;
    try {
        m_record->record(m_siteKey, m_siteDir, name, *local);
    } catch (const WrenError &error) {
        logFailure(error.message());
    }
    auto found = m_listings.find(m_siteKey + u'\n' + m_siteDir);
    if (found != m_listings.end() && found.value())
        found.value()->insert(name, local->size);
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
