// The run's log of SiteTransfer: the lines held back behind a file still on
// its way, the progress counted as they are written, and the bookkeeping of
// what failed, per run and per site.

#include "SiteTransfer.h"

#include "transfer/BackgroundCopy.h"
#include "transfer/SessionPool.h"

#include <algorithm>
#include <utility>

void SiteTransfer::settleCopy()
{
    writeLines(true);
    m_copiesOnTheirWay.clear();
}

void SiteTransfer::writeLines(bool wait)
{
    if (m_pool) {
        for (const QString &note : m_pool->takeNotes())
            m_lines.push_back({note});
    }
    while (!m_lines.empty()) {
        QueuedLine &front = m_lines.front();
        QString line;
        if (front.kind == QueuedLine::Kind::Store) {
            if (!writeStore(front, wait))
                return;
            continue;
        }
        if (front.kind == QueuedLine::Kind::Text) {
            const quint64 since = m_pool && front.page ? m_pool->changes() : 0;
            const PageState state = front.page ? pageState(front.page, wait) : PageState::Went;
            if (state == PageState::Undecided) {
                if (!wait)
                    return;
                m_pool->waitForChange(since);
                continue;
            }
            const QueuedLine text = std::move(front);
            m_lines.pop_front();
            if (state == PageState::Went)
                writeEntry(text);
            continue;
        } else {
            const std::optional<BackgroundCopy::Outcome> outcome = m_copy->takeOldest(wait);
            if (!outcome)
                return;
            if (outcome->ok) {
                line = QStringLiteral("Copy completed ...");
            } else {
                filesFailed(1);
                line = copyFailure(front.text, outcome->error);
            }
        }
        // Taken off before it is written: a log that comes back here, or
        // fails, cannot write a line twice or pair a copy with another's line.
        m_lines.pop_front();
        m_log(line);
    }
}

SiteTransfer::PageState SiteTransfer::pageState(quint64 page, bool wait) const
{
    const auto store = std::find_if(m_lines.cbegin(), m_lines.cend(), [page](const QueuedLine &line) {
        return line.kind == QueuedLine::Kind::Store && line.page == page;
    });
    if (store == m_lines.cend())
        return page == m_page && m_stopRequested && !wait ? PageState::Undecided : PageState::Went;
    switch (m_pool->outcome(store->store).state) {
    case SessionPool::State::Dropped:
        return PageState::Dropped;
    case SessionPool::State::Waiting:
        return m_stopRequested ? PageState::Undecided : PageState::Went;
    default:
        return PageState::Went;
    }
}

void SiteTransfer::dropLinesOf(quint64 page)
{
    const bool stored = std::any_of(m_lines.cbegin(), m_lines.cend(), [page](const QueuedLine &line) {
        return line.kind == QueuedLine::Kind::Store && line.page == page;
    });
    if (stored)
        return; // its stores tell whether the page began
    std::erase_if(m_lines,
                  [page](const QueuedLine &line) { return line.kind == QueuedLine::Kind::Text && line.page == page; });
}

bool SiteTransfer::writeStore(QueuedLine &front, bool wait)
{
    while (true) {
        const quint64 since = m_pool->changes();
        const SessionPool::Outcome outcome = m_pool->outcome(front.store);
        if (outcome.state != SessionPool::State::Waiting && outcome.state != SessionPool::State::Dropped &&
            !front.announced) {
            front.announced = true;
            countFiles(1, front.name);
            m_log(QStringLiteral("Transferring file ") + front.text);
        }
        if (outcome.state == SessionPool::State::Done || outcome.state == SessionPool::State::Dropped) {
            // Taken off first: the lines written here belong right after it.
            const QueuedLine done = std::move(front);
            m_lines.pop_front();
            m_pool->forget(done.store);
            if (outcome.state == SessionPool::State::Dropped) {
                ++m_dropped;
            } else if (!outcome.error.isEmpty()) {
                filesFailed(1);
                m_log(QStringLiteral("Error in FTP process - ") + outcome.error);
            } else if (done.record) {
                if (const QString failure = remember(done.site, done.directory, done.name, done.digest);
                    !failure.isEmpty()) {
                    ++m_failures;
                    m_log(failure);
                }
            }
            return true;
        }
        if (!wait)
            return false;
        m_pool->waitForChange(since);
    }
}

void SiteTransfer::log(const QString &line)
{
    logFile(line, QString(), 0);
}

void SiteTransfer::logFile(const QString &line, const QString &name, int files)
{
    QueuedLine entry(line);
    entry.files = files;
    entry.name = name;
    entry.page = m_page;
    writeLines(false);
    if (m_lines.empty())
        writeEntry(entry);
    else
        m_lines.push_back(std::move(entry));
}

void SiteTransfer::writeEntry(const QueuedLine &entry)
{
    countFiles(entry.files, entry.name);
    if (!entry.text.isEmpty())
        m_log(entry.text);
}

void SiteTransfer::countFiles(int files, const QString &name)
{
    if (files <= 0)
        return;
    m_filesShown += files;
    if (progress)
        progress(m_filesShown, std::max(m_planned, m_sent), name);
}

void SiteTransfer::logFilesNotReached()
{
    settleCopy();
    // Counted since the last time asked: a transfer may serve several runs.
    const int planned = std::max(m_planned, m_sent) - m_runStart.planned;
    const int sent = m_sent - m_runStart.sent;
    const int missing = (m_failedFiles - m_runStart.failedFiles) + (m_dropped - m_runStart.dropped) + (planned - sent);
    m_runStart = {std::max(m_planned, m_sent), m_sent, m_failedFiles, m_dropped};
    m_planned = m_runStart.planned;
    if (missing > 0)
        log(QStringLiteral("%1 of %2 %3 did not reach the site")
                .arg(missing)
                .arg(planned)
                .arg(planned == 1 ? QStringLiteral("file") : QStringLiteral("files")));
}

void SiteTransfer::requestStop()
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    // The line of the run itself, whatever page is being made.
    const quint64 page = std::exchange(m_page, 0);
    logFailure(QStringLiteral("Stopped by the user: the files not sent yet stay unsent"));
    m_page = page;
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
        logFile(QString(), host, files);
        return;
    }
    logFile(notSending(files, host, site.reason), host, files);
    site.announced = 0;
}
