// Builds "journal-7305" (one entry a day from 2006-01-01 to 2025-12-31, about
// 1 KB of HTML each, weekly archives, one local-directory upload) and times
// wren-publish on it as whole processes: the archive run over the whole range
// and a plain publish. Prints the median of five runs, pages per second and the
// peak memory of the process.
//
//   publish_bench WREN_PUBLISH [WORK_DIR]
#include "data/DataVersion.h"
#include "engine/Database.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char *const kPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>journal-7305</title>
<link rel="stylesheet" href="style.css"></head>
<body><h1>journal-7305</h1>
<nav><a href="<$WrenArchivePrev>">earlier</a> | <a href="archive.html">archive</a> | <a href="<$WrenArchiveNext>">later</a></nav>
<Wren><WrenHeader><h2 class="day"><$WrenDate></h2></WrenHeader>
<div class="entry"><h3><$WrenTitle></h3>
<$WrenEntry>
<p class="meta">Posted by <$WrenAuthor> at <$WrenTime> | <a href="<$WrenLink>">permalink</a></p></div>
</Wren>
<footer>Published <$WrenSysDate></footer></body></html>
)";

const char *const kIndex = R"(<html><body><h1>Archives</h1><Wren><$WrenArchive=4></Wren></body></html>)";

QString entryText(int n)
{
    QString text;
    while (text.size() < 1000)
        text += QStringLiteral("Entry %1 walks through the <b>wood</b> again, counting <i>birds</i> and "
                               "<a href=\"https://example.org/%1\">noting</a> what changed.\r\n")
                    .arg(n);
    return text;
}

void build(const QString &dir)
{
    QDir().mkpath(dir + "/site");
    DataVersion::createMissingTables(dir);
    QFile ini(dir + "/wren.INI");
    ini.open(QIODevice::WriteOnly);
    ini.write("[General]\nVersion=5.0\n");
    ini.close();

    Database db("bench");
    db.open(dir);
    db.run("BEGIN");
    db.run("INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES "
           "(1, 'journal-7305', 1, 'dddd, mmmm d, yyyy', 'h:nn am/pm', 'mmm d, yyyy', 'Weekly', 1)");
    QSqlQuery t(db.connection());
    t.prepare("INSERT INTO Templates (ID, Name, Template) VALUES (?, ?, ?)");
    t.addBindValue(QVariantList{1, 2});
    t.addBindValue(QVariantList{"page", "index"});
    t.addBindValue(QVariantList{QString::fromUtf8(kPage), QString::fromUtf8(kIndex)});
    t.execBatch();
    db.run("INSERT INTO Sites (ID, Name, Active) VALUES (1, 'local', 0)");
    QSqlQuery u(db.connection());
    u.prepare("INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, "
              "ArcExt, AutoArc) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', ?, 1, 'html', 0)");
    u.addBindValue(dir + "/site");
    db.run(u);
    QSqlQuery e(db.connection());
    e.prepare(
        "INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, ?, '08:30:00', ?, 'bench', ?)");
    int n = 0;
    for (QDate d(2006, 1, 1); d <= QDate(2025, 12, 31); d = d.addDays(1), ++n) {
        e.addBindValue(d.toString(Qt::ISODate));
        e.addBindValue(entryText(n));
        e.addBindValue(n % 3 == 0 ? QStringLiteral("Day %1").arg(n) : QString());
        db.run(e);
    }
    db.run("COMMIT");
    std::printf("journal-7305: %d entries written to %s\n", n, qPrintable(dir));
}

struct Sample {
    double seconds;
    long peakKiB;
};

Sample runOnce(const QString &program, const QStringList &args)
{
    QElapsedTimer timer;
    timer.start();
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<QByteArray> bytes{program.toLocal8Bit()};
        for (const QString &a : args)
            bytes.push_back(a.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::printf("  run failed with status %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return {seconds, usage.ru_maxrss};
}

void measure(const char *label, const QString &program, const QStringList &args, int pages)
{
    std::vector<Sample> samples;
    for (int i = 0; i < 5; ++i)
        samples.push_back(runOnce(program, args));
    std::sort(samples.begin(), samples.end(), [](const Sample &a, const Sample &b) { return a.seconds < b.seconds; });
    long peak = 0;
    for (const Sample &s : samples)
        peak = std::max(peak, s.peakKiB);
    const Sample &median = samples[2];
    std::printf("%-34s median %.3f s (min %.3f, max %.3f), %.0f pages/s, peak memory %.1f MB\n", label, median.seconds,
                samples.front().seconds, samples.back().seconds, pages / median.seconds, peak / 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: publish_bench WREN_PUBLISH [WORK_DIR]\n");
        return 2;
    }
    QTemporaryDir temp;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.filePath("journal-7305");
    if (!QFile::exists(dir + "/Journal.DAT"))
        build(dir);
    const QString publisher = QString::fromLocal8Bit(argv[1]);
    measure("archives 2006-01-01..2025-12-31", publisher, {"--data-dir", dir, "--archives", "2006-01-01", "2025-12-31"},
            1044 + 1);
    const int archivePages = static_cast<int>(QDir(dir + "/site").entryList({"arc*.html"}, QDir::Files).size());
    std::printf("  archive pages on the site: %d\n", archivePages);
    measure("plain publish (one page)", publisher, {"--data-dir", dir}, 1);
    return 0;
}
