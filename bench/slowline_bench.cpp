// slowline_bench WREN_PUBLISH JOURNAL_DIR [FROM TO]
//
// The archive run over a slow line: a pyftpdlib server on 127.0.0.1 that
// waits 30 ms before each reply, in a thread per connection, stands in for a
// host 30 ms away (there is no traffic shaping here). JOURNAL_DIR is the
// journal that publish_bench builds and keeps; it is copied, so it stays as
// it is. The first send goes over 1, 2, 4 and 8 connections, each to an
// empty site; then, over 4, the run after one entry changed; the same pages
// go with curl's command line in one invocation. Then the two sites that
// fail: a server that accepts and never answers (--timeout 5) and a wrong
// password. Prints the times, the files sent and the logins each server saw.
#include "transfer/TestServers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

struct Outcome {
    double seconds;
    int sent;
    int unchanged;
    int status;
    QString out;
};

Outcome publish(const QString &program, const QStringList &args)
{
    QElapsedTimer timer;
    timer.start();
    QProcess run;
    run.start(program, args);
    run.waitForFinished(-1);
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    return {timer.elapsed() / 1000.0, static_cast<int>(out.count(QStringLiteral("Transferring file "))),
            static_cast<int>(out.count(QStringLiteral("Unchanged on site: "))), run.exitCode(), out};
}

bool sql(const QString &file, const QString &statement)
{
    return QProcess::execute(QStringLiteral("sqlite3"), {file, statement}) == 0;
}

// The logins a pyftpdlib server logged so far.
int loginsIn(const QString &log)
{
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count("] <- USER ")) : 0;
}

// A copy of the journal in its own folder, its site on the server.
QString journalCopy(const QTemporaryDir &work, const QString &journal, const QString &name, int port,
                    const QString &password)
{
    const QString data = work.filePath(name);
    QDir().mkpath(data);
    for (const QString &file : QDir(journal).entryList({"*.DAT", "wren.INI"}, QDir::Files))
        if (file != QLatin1String("Transfer.DAT"))
            QFile::copy(journal + u'/' + file, data + u'/' + file);
    sql(data + QStringLiteral("/Sites.DAT"),
        QStringLiteral("UPDATE Sites SET FTP='127.0.0.1', Port=%1, Login='alice', Password='%2', Active=1")
            .arg(port)
            .arg(password));
    sql(data + QStringLiteral("/Upload.DAT"), QStringLiteral("UPDATE Upload SET Directory='/www'"));
    return data;
}

void emptyFolder(const QString &dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure shows as it is measured
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: slowline_bench WREN_PUBLISH JOURNAL_DIR [FROM TO]\n");
        return 2;
    }
    const QString publisher = QString::fromLocal8Bit(argv[1]);
    const QString journal = QString::fromLocal8Bit(argv[2]);
    const QString from = argc == 5 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("2006-01-01");
    const QString to = argc == 5 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("2025-12-31");
    if (!QFile::exists(journal + QStringLiteral("/Journal.DAT"))) {
        std::fprintf(stderr, "%s holds no journal: run publish_bench with it first\n", argv[2]);
        return 2;
    }
    QTemporaryDir work;

    // pyftpdlib logs every command into ROOT/commands.log; the logins are counted there.
    const int port = FreePort();
    const auto [low, high] = FreePortRange(40);
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(WREN_TEST_SERVERS "/ftp_server.py"), QString::number(port), work.path(),
                  QString::number(low), QString::number(high), QStringLiteral("delay=30")});
    if (!server.waitForStarted(5000)) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    QThread::msleep(1500);
    const QString commands = work.filePath(QStringLiteral("commands.log"));
    const QString www = work.filePath(QStringLiteral("alice/www"));
    const QStringList archives{QStringLiteral("--archives"), from, to};
    std::printf("archive run %s..%s, 30 ms before each reply\n", qPrintable(from), qPrintable(to));

    // The first send over 1, 2, 4 and 8 connections, each to an empty site.
    struct Row {
        int connections;
        Outcome outcome;
        int logins;
    };
    std::vector<Row> rows;
    QString data4;
    for (int connections : {1, 2, 4, 8}) {
        const QString data =
            journalCopy(work, journal, QStringLiteral("data%1").arg(connections), port, QStringLiteral("apass"));
        emptyFolder(www);
        const int before = loginsIn(commands);
        const Outcome first =
            publish(publisher, QStringList{QStringLiteral("--data-dir"), data, QStringLiteral("--connections"),
                                           QString::number(connections)} +
                                   archives);
        rows.push_back({connections, first, loginsIn(commands) - before});
        std::printf("  %d connection(s): %7.1f s, %d files sent, %d logins (status %d)\n", connections, first.seconds,
                    first.sent, rows.back().logins, first.status);
        if (connections == 4)
            data4 = data;
    }
    const Outcome &four = rows[2].outcome;

    // One entry changed, over 4 connections: the site holds the same pages
    // the run over 4 recorded (the last run sent them). Three times, the median.
    std::vector<Outcome> changed;
    for (int round = 0; round < 3; ++round) {
        sql(data4 + QStringLiteral("/Journal.DAT"),
            QStringLiteral("UPDATE Journal SET Entry = Entry || ' changed' WHERE eDate = '%1'").arg(from));
        changed.push_back(publish(publisher, QStringList{QStringLiteral("--data-dir"), data4,
                                                         QStringLiteral("--connections"), QStringLiteral("4")} +
                                                 archives));
    }
    std::sort(changed.begin(), changed.end(), [](const Outcome &a, const Outcome &b) { return a.seconds < b.seconds; });
    const Outcome &again = changed[1];
    std::printf("  one entry changed, 4 connections: %.2f s (median of 3), %d files sent, %d unchanged "
                "(%.1f%% of the first send over 4)\n",
                again.seconds, again.sent, again.unchanged, 100.0 * again.seconds / four.seconds);

    // The same pages with curl, in one invocation and one session.
    QStringList files;
    for (const QString &name : QDir(www).entryList(QDir::Files))
        files << www + u'/' + name;
    QTemporaryDir copies;
    for (const QString &file : files)
        QFile::copy(file, copies.filePath(QFileInfo(file).fileName()));
    QStringList curlArgs{QStringLiteral("-s"), QStringLiteral("-u"), QStringLiteral("alice:apass")};
    for (const QString &file : files) {
        curlArgs << QStringLiteral("-T") << copies.filePath(QFileInfo(file).fileName())
                 << QStringLiteral("ftp://127.0.0.1:%1/www/").arg(port);
    }
    emptyFolder(www);
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(QStringLiteral("curl"), curlArgs);
    const double curl = timer.elapsed() / 1000.0;
    std::printf("  curl, same %lld files: %7.1f s (status %d)\n", static_cast<long long>(files.size()), curl, status);

    std::printf("\n| connections | seconds | files | Wren / curl | logins |\n|---|---|---|---|---|\n");
    for (const Row &row : rows)
        std::printf("| %d | %.1f | %d | %.2f | %d |\n", row.connections, row.outcome.seconds, row.outcome.sent,
                    row.outcome.seconds / curl, row.logins);
    std::printf("| curl | %.1f | %lld | 1.00 | 1 |\n\n", curl, static_cast<long long>(files.size()));

    // A wrong password: one login, whatever the pages.
    {
        const QString data = journalCopy(work, journal, QStringLiteral("wrong"), port, QStringLiteral("wrong"));
        const int before = loginsIn(commands);
        const Outcome wrong = publish(publisher, QStringList{QStringLiteral("--data-dir"), data} + archives);
        std::printf("wrong password: %.1f s, %d logins the server saw, status %d, %lld x \"Not sending\"\n",
                    wrong.seconds, loginsIn(commands) - before, wrong.status,
                    static_cast<long long>(wrong.out.count(QStringLiteral("Not sending "))));
    }
    server.kill();
    server.waitForFinished(5000);

    // A server that accepts and never answers, with a limit of 5 seconds.
    {
        const int silentPort = FreePort();
        QProcess silent;
        silent.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-u"), QStringLiteral(WREN_TEST_SERVERS "/silent_server.py"), QString::number(silentPort)});
        silent.waitForStarted(5000);
        silent.waitForReadyRead(5000);
        const QString data = journalCopy(work, journal, QStringLiteral("dead"), silentPort, QStringLiteral("apass"));
        const Outcome dead = publish(publisher, QStringList{QStringLiteral("--data-dir"), data,
                                                            QStringLiteral("--timeout"), QStringLiteral("5")} +
                                                    archives);
        silent.kill();
        silent.waitForFinished(5000);
        const QByteArray seen = silent.readAllStandardOutput();
        std::printf("silent server, --timeout 5: %.1f s, %lld connections the server saw, status %d, %lld x \"Not "
                    "sending\"\n",
                    dead.seconds, static_cast<long long>(seen.count("accepted")), dead.status,
                    static_cast<long long>(dead.out.count(QStringLiteral("Not sending "))));
    }
    return 0;
}
