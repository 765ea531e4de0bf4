// wren-publish: publishes a journal without a window, for cron jobs and scripts.
//
//   wren-publish [--data-dir DIR] [--journal ID] [--archives FROM TO] [--timeout SECONDS] [--trace-ftp]
//                [--connections N]
//   wren-publish --help | --version
//                [--accept-new-host] [--send-all]
//
// Log lines go to standard output, messages to standard error, each starting
// with "wren-publish: ". Exit status 0 when no step failed, 1 when a step
// logged a failure, 2 when the command could not run.
#include "engine/Journals.h"
#include "base/DataDirectory.h"
#include "base/DataDirectoryLock.h"
#include "base/PrivateFiles.h"
#include "base/Settings.h"
#include "base/StagingDirectory.h"
#include "engine/Startup.h"
#include "base/WrenError.h"
#include "engine/Backup.h"
#include "engine/Database.h"
#include "publish/PublishRun.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/Firewall.h"
#include "transfer/KnownHosts.h"
#include "transfer/SessionPool.h"
#include "transfer/SiteTransfer.h"
#include "transfer/RecordedTransfer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdlib>
#include <mutex>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// A message on standard error, after the program's name.
void complain(const QString &message)
{
    err() << QCoreApplication::applicationName() << ": " << message << Qt::endl;
}

int fail(const QString &message)
{
    complain(message);
    return 2;
}

const char exitStatusHelp[] = "\n"
                              "Exit status:\n"
                              "  0  every step worked\n"
                              "  1  a step failed (a copy, a directory, a connection); the run went on\n"
                              "  2  the command could not run: a wrong argument, no data directory, no such\n"
                              "     journal, the data-version message, no entries for --archives, or a\n"
                              "     Wren window holding the same data directory\n"
                              "\n"
                              "Without --data-dir the data directory is the one WREN_DATA_DIR names; else\n"
                              "the program's own directory when it holds wren.INI or a table file and is\n"
                              "writable; else $XDG_DATA_HOME/wren (~/.local/share/wren).\n";

struct Arguments {
    QString dataDir;
    std::optional<int> journal;
    std::optional<std::pair<QDate, QDate>> archives;
    int timeoutSeconds = 120;
    std::optional<int> connections; // per site; the settings file's when not given
    bool traceFtp = false;
    QString backupRoot; // --backup: write a backup there instead of publishing
    bool acceptNewHost = false;
    bool sendAll = false;
};

// Reads the command line; a message on standard error and nothing when it is wrong.
std::optional<Arguments> parseArguments(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Publishes a Wren journal without opening a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("data-dir"), QStringLiteral("The data directory."), QStringLiteral("DIR")});
    parser.addOption(
        {QStringLiteral("journal"), QStringLiteral("The ID of the journal to publish."), QStringLiteral("ID")});
    parser.addOption(
        {QStringLiteral("archives"),
         QStringLiteral("Publish the archives from FROM to TO (YYYY-MM-DD; give TO as the next argument)."),
         QStringLiteral("FROM")});
    parser.addOption({QStringLiteral("timeout"),
                      QStringLiteral("Seconds allowed for connecting to an FTP site and for a transfer that makes no "
                                     "progress (default 120)."),
                      QStringLiteral("SECONDS")});
    parser.addOption({QStringLiteral("connections"),
                      QStringLiteral("How many connections may go to one site at once, 1 to %1 (default: the "
                                     "Options setting, 4 unless changed).")
                          .arg(Settings::kMaxConnectionsPerSite),
                      QStringLiteral("N")});
    parser.addOption({QStringLiteral("trace-ftp"),
                      QStringLiteral("Print every FTP command sent on standard error (after the connection's number "
                                     "when there are several).")});
    parser.addOption({QStringLiteral("backup"),
                      QStringLiteral("Write a backup of the table files and the settings file into DIR/YYYY-MM-DD "
                                     "(the newest 14 are kept) instead of publishing."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("accept-new-host"),
                      QStringLiteral("Trust and store the key of a site not seen before, or a certificate whose "
                                     "one fault is an unknown issuer (a changed key, an expired certificate or one "
                                     "for other names is still refused).")});
    parser.addOption({QStringLiteral("send-all"),
                      QStringLiteral("Send every page, also those the upload record shows unchanged on the site.")});
    parser.addPositionalArgument(QStringLiteral("TO"), QStringLiteral("The last day of --archives."));
    if (!parser.parse(app.arguments())) {
        complain(parser.errorText() + QStringLiteral(" (see --help)"));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << parser.helpText() << exitStatusHelp << Qt::flush;
        std::exit(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out() << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        std::exit(0);
    }

    Arguments args;
    args.dataDir =
        parser.isSet(QStringLiteral("data-dir"))
            ? QDir(parser.value(QStringLiteral("data-dir"))).absolutePath()
            : DataDirectory::locate(QCoreApplication::applicationFilePath(), QStringLiteral("wren.INI")).path;
    if (parser.isSet(QStringLiteral("journal"))) {
        bool ok = false;
        args.journal = parser.value(QStringLiteral("journal")).toInt(&ok);
        if (!ok) {
            complain(QStringLiteral("--journal needs a number"));
            return std::nullopt;
        }
    }
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        args.timeoutSeconds = parser.value(QStringLiteral("timeout")).toInt(&ok);
        if (!ok || args.timeoutSeconds < 1) {
            complain(QStringLiteral("--timeout needs a number of seconds"));
            return std::nullopt;
        }
    }
    if (parser.isSet(QStringLiteral("connections"))) {
        bool ok = false;
        const int connections = parser.value(QStringLiteral("connections")).toInt(&ok);
        if (!ok || connections < 1 || connections > Settings::kMaxConnectionsPerSite) {
            complain(QStringLiteral("--connections needs a number from 1 to %1").arg(Settings::kMaxConnectionsPerSite));
            return std::nullopt;
        }
        args.connections = connections;
    }
    args.traceFtp = parser.isSet(QStringLiteral("trace-ftp"));
    if (parser.isSet(QStringLiteral("backup")))
        args.backupRoot = QDir(parser.value(QStringLiteral("backup"))).absolutePath();
    args.acceptNewHost = parser.isSet(QStringLiteral("accept-new-host"));
    args.sendAll = parser.isSet(QStringLiteral("send-all"));
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("archives"))) {
        const QDate from = QDate::fromString(parser.value(QStringLiteral("archives")), Qt::ISODate);
        const QDate to = rest.size() == 1 ? QDate::fromString(rest.first(), Qt::ISODate) : QDate();
        if (!from.isValid() || !to.isValid()) {
            complain(QStringLiteral("--archives needs two days, FROM and TO, as YYYY-MM-DD"));
            return std::nullopt;
        }
        args.archives = std::make_pair(from, to);
    } else if (!rest.isEmpty()) {
        complain(QStringLiteral("Unexpected argument ") + rest.first());
        return std::nullopt;
    }
    return args;
}

// A backup needs no lock: the online copy reads only committed rows, also
// while a window writes into the same files.
int backup(const Arguments &args)
{
    const QDir data(args.dataDir);
    if (!QFileInfo::exists(data.filePath(QStringLiteral("Journal.DAT"))))
        return fail(QStringLiteral("The data directory %1 holds no journal table").arg(args.dataDir));
    out() << "Backup written to "
          << Backup::write(args.dataDir, data.filePath(QStringLiteral("wren.INI")), args.backupRoot,
                           QDate::currentDate())
          << Qt::endl;
    return 0;
}

int publish(const Arguments &args)
{
    if (!QDir(args.dataDir).exists())
        return fail(QStringLiteral("The data directory %1 does not exist").arg(args.dataDir));
    if (!args.backupRoot.isEmpty())
        return backup(args);
    DataDirectoryLock lock(args.dataDir);
    if (!lock.isHeld())
        return fail(lock.reason());

    auto log = [](const QString &line) { out() << line << Qt::endl; };
    const QString settingsPath = QDir(args.dataDir).filePath(QStringLiteral("wren.INI"));
    for (const QString &line : PrivateFiles::replaceLinks(PrivateFiles::stateFiles(args.dataDir, settingsPath)))
        log(line);
    Settings settings(settingsPath);
    StagingDirectory staging = StagingDirectory::createPrivate(QDir::tempPath());
    struct RemoveAtExit {
        StagingDirectory &dir;
        ~RemoveAtExit() { dir.remove(); }
    } removeAtExit{staging};

    Database db(QStringLiteral("wren-publish"));
    const PrivateFiles privateFiles = PrivateFiles::of(args.dataDir, settings.path());
    const Startup::Result started = Startup::openDataDirectory(settings, args.dataDir, staging.path(), db);
    if (started.version.mustExit())
        return fail(started.version.message);
    if (!started.version.message.isEmpty())
        complain(started.version.message);

    const std::optional<JournalSettings> journal =
        args.journal ? Journals::load(db, *args.journal) : Journals::first(db);
    if (!journal)
        return fail(args.journal ? QStringLiteral("There is no journal with ID %1").arg(*args.journal)
                                 : QStringLiteral("The data directory holds no journal"));

    for (const QString &line : privateFiles.secure())
        log(line);
    KnownHosts knownHosts(QDir(args.dataDir).filePath(QStringLiteral("Wren.hosts")));
    const FirewallSettings firewall = LoadFirewall(settings);
    // Each connection runs on a thread of its own; the trace takes their lines one at a time.
    static std::mutex traceLock;
    SessionPool ftp([&](CurlFtpClient &session, int number) {
        session.setFirewall(firewall);
        session.setTimeouts(args.timeoutSeconds, args.timeoutSeconds);
        session.setKnownHosts(&knownHosts);
        if (args.traceFtp) {
            const QString prompt = number == 1 ? QStringLiteral("> ") : QStringLiteral("%1> ").arg(number);
            session.setTrace([prompt](const QString &line) {
                const std::lock_guard<std::mutex> hold(traceLock);
                err() << prompt << line << Qt::endl;
            });
        }
    });
    ftp.setConnections(args.connections.value_or(settings.value(Setting::Connections)));
    RecordedTransfer recorded(staging.path(), args.dataDir, log, &ftp, &knownHosts, args.sendAll);
    SiteTransfer &transfer = recorded.transfer;
    // Only a certificate whose one fault is an issuer nobody vouches for is
    // trusted unseen; an expired one, or one for other names, never is.
    transfer.trustNewHost = [&args](const HostKeyFailure &failure) {
        return args.acceptNewHost && failure.onlyIssuerUnknown;
    };
    transfer.refusalNote = [](const HostKeyFailure &failure) {
        return failure.onlyIssuerUnknown
                   ? QStringLiteral(" (wren-publish --accept-new-host trusts it)")
                   : QStringLiteral(
                         " (--accept-new-host trusts only a certificate whose one fault is an unknown issuer)");
    };
    PendingLists pending;
    PublishContext ctx{db,
                       settings,
                       PublishOptions::fromSettings(settings),
                       Clock::system(),
                       NameTables::fromSettings(settings),
                       staging.path(),
                       *journal,
                       transfer,
                       pending};
    db.run(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    PublishRun run(ctx);
    if (args.archives) {
        if (!run.archiveRange())
            return fail(PublishRun::noDateRangeMessage());
        run.PublishArchive(args.archives->first, args.archives->second);
    } else {
        run.PublishEntry();
    }
    return transfer.failures() > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("wren-publish"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WREN_VERSION));
    const std::optional<Arguments> args = parseArguments(app);
    if (!args)
        return 2;
    try {
        return publish(*args);
    } catch (const WrenError &error) {
        return fail(error.message());
    }
}
