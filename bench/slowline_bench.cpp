// slowline_bench WREN_PUBLISH JOURNAL_DIR [FROM TO]
//
// The archive run over a slow line: a pyftpdlib server on 127.0.0.1 that
// waits 30 ms before each reply stands in for a host 30 ms away (there is no
// traffic shaping here). JOURNAL_DIR is the journal that publish_bench builds
// and keeps; it is copied, so it stays as it is. The run sends every page,
// then runs again after one entry changed; the same pages go with curl's
// command line in one invocation. Prints the times and the files sent.
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
            static_cast<int>(out.count(QStringLiteral("Unchanged on site: "))), run.exitCode()};
}

bool sql(const QString &file, const QString &statement)
{
    return QProcess::execute(QStringLiteral("sqlite3"), {file, statement}) == 0;
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
    const QString data = work.filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    for (const QString &name : QDir(journal).entryList({"*.DAT", "wren.INI"}, QDir::Files))
        QFile::copy(journal + u'/' + name, data + u'/' + name);

    // pyftpdlib logs every command: its output goes nowhere, or a long run
    // would fill the pipe and stall the server.
    const int port = FreePort();
    const auto [low, high] = FreePortRange(20);
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
    sql(data + QStringLiteral("/Sites.DAT"),
        QStringLiteral("UPDATE Sites SET FTP='127.0.0.1', Port=%1, Login='alice', Password='apass', Active=1")
            .arg(port));
    sql(data + QStringLiteral("/Upload.DAT"), QStringLiteral("UPDATE Upload SET Directory='/www'"));
    const QStringList args{QStringLiteral("--data-dir"), data, QStringLiteral("--archives"), from, to};
    std::printf("archive run %s..%s, 30 ms before each reply\n", qPrintable(from), qPrintable(to));

    const Outcome whole = publish(publisher, args);
    std::printf("  whole site:          %7.1f s, %d files sent (status %d)\n", whole.seconds, whole.sent, whole.status);
    sql(data + QStringLiteral("/Journal.DAT"),
        QStringLiteral("UPDATE Journal SET Entry = Entry || ' changed' WHERE eDate = '%1'").arg(from));
    const Outcome again = publish(publisher, args);
    std::printf("  one entry changed:   %7.1f s, %d files sent, %d unchanged (%.1f%% of the first run's time)\n",
                again.seconds, again.sent, again.unchanged, 100.0 * again.seconds / whole.seconds);

    // The same pages with curl, in one invocation and one session.
    const QString www = work.filePath(QStringLiteral("alice/www"));
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
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(QStringLiteral("curl"), curlArgs);
    std::printf("  curl, same %lld files: %7.1f s (status %d); Wren/curl %.2f\n", static_cast<long long>(files.size()),
                timer.elapsed() / 1000.0, status, whole.seconds / (timer.elapsed() / 1000.0));
    server.kill();
    server.waitForFinished(5000);
    return 0;
}
