// Sends 1,000 pages of about 10 KB to a vsftpd started on 127.0.0.1, through
// one session of ours (as a publish run does) and with the curl command line
// in one invocation that reuses its connection; prints both times and their
// ratio, best of three runs each.
//
//   ftp_bench [FILES] [BYTES]

#include "transfer/CurlFtpClient.h"
#include "transfer/SiteTransfer.h"
#include "transfer/TestServers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double ours(const Vsftpd &server, const QString &staging, const QStringList &names, bool passive)
{
    CurlFtpClient ftp;
    FirewallSettings firewall;
    firewall.passive = passive;
    ftp.setFirewall(firewall);
    int failures = 0;
    SiteTransfer transfer(
        staging,
        [&failures](const QString &line) {
            if (line.startsWith(QStringLiteral("Error")))
                ++failures;
        },
        &ftp);
    QElapsedTimer timer;
    timer.start();
    transfer.ConnectSite(QStringLiteral("127.0.0.1"), QStringLiteral("anonymous"), server.port(), QStringLiteral("x"));
    transfer.ChangeSiteDir(true, QStringLiteral("/www"));
    for (const QString &name : names)
        transfer.SendFile(true, QDir(staging).filePath(name), QString(), name);
    transfer.EndSession(false);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (failures > 0)
        std::printf("  (%d failures)\n", failures);
    return seconds;
}

double curlCommandLine(const Vsftpd &server, const QString &staging, const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names)
        paths << QDir(staging).filePath(name);
    QProcess curl;
    QElapsedTimer timer;
    timer.start();
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("--ftp-pasv"),
                                        QStringLiteral("--disable-epsv"), QStringLiteral("-T"),
                                        QLatin1Char('{') + paths.join(u',') + QLatin1Char('}'),
                                        QStringLiteral("ftp://127.0.0.1:%1/www/").arg(server.port())});
    curl.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (curl.exitCode() != 0)
        std::printf("  (curl failed: %s)\n", curl.readAllStandardError().constData());
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int bytes = argc > 2 ? std::atoi(argv[2]) : 10 * 1024;
    Vsftpd server;
    if (!server.start()) {
        std::fprintf(stderr, "vsftpd did not start\n");
        return 1;
    }
    QTemporaryDir staging;
    QStringList names;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("page%1.html").arg(i, 4, 10, QLatin1Char('0'));
        QFile file(staging.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(bytes, static_cast<char>('a' + i % 26)));
        names << name;
    }
    std::printf("%d files of %d bytes to vsftpd on 127.0.0.1, best of three\n", files, bytes);
    double bestPassive = 1e9, bestActive = 1e9, bestCurl = 1e9;
    for (int round = 0; round < 3; ++round) {
        bestPassive = std::min(bestPassive, ours(server, staging.path(), names, true));
        bestActive = std::min(bestActive, ours(server, staging.path(), names, false));
        bestCurl = std::min(bestCurl, curlCommandLine(server, staging.path(), names));
    }
    std::printf("wren, passive: %.3f s (%.0f files/s)\n", bestPassive, files / bestPassive);
    std::printf("wren, active:  %.3f s (%.0f files/s)\n", bestActive, files / bestActive);
    std::printf("curl, passive: %.3f s (%.0f files/s)\n", bestCurl, files / bestCurl);
    std::printf("ratio wren passive / curl: %.2f\n", bestPassive / bestCurl);
    return 0;
}
