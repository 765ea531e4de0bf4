// Times wren-publish as whole processes on generated journals, each archive run
// over the whole range into an emptied site, and a plain publish (on the first
// also with an auto-archiving upload, its archive pages kept current or not,
// the site current already, and again with an archiving feed upload beside it
// as New Journal makes one):
//
//   journal-7305          one entry a day 2006..2025, weekly archives, about
//                         1 KB of HTML each, one local-directory upload
//   journal-7305-markdown the same entries written in Markdown (the journal's
//                         entry format), measured interleaved with the first,
//                         with the entries converted by the run before, and
//                         with none converted before (the cache removed)
//   journal-7305-index    the same with the archive index "<$WrenArchive=4>"
//                         in the page template (a side bar on every page)
//   journal-14610-index   the in-page index over 40 years, 1986..2025
//   journal-100000        about 14 entries a day over 20 years
//
// Prints per-run medians of five runs (wall and CPU time), pages per second
// and the peak memory of the process. When hugo is on PATH it also builds the
// equivalent Hugo site of journal-7305 (a week taxonomy, one term page per
// Sunday-to-Saturday week, the same post markup, RSS and sitemap off), and a
// naive writer (this program again, formatting the same pages with std::string
// and writing them with std::ofstream) runs on it too; the three are measured
// interleaved, and the ratios printed. WREN_PUBLISH_BASELINE names another
// wren-publish to measure interleaved beside the first.
//
//   publish_bench WREN_PUBLISH [WORK_DIR]
#include "engine/DataVersion.h"
#include "engine/Database.h"
#include "publish/Designs.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char *const kPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>journal</title>
<link rel="stylesheet" href="style.css"></head>
<body><h1>journal</h1>
<nav><a href="<$WrenArchivePrev>">earlier</a> | <a href="archive.html">archive</a> | <a href="<$WrenArchiveNext>">later</a></nav>
@SIDEBAR@<Wren><WrenHeader><h2 class="day"><$WrenDate></h2></WrenHeader>
<div class="entry"><h3><$WrenTitle></h3>
<$WrenEntry>
<p class="meta">Posted by <$WrenAuthor> at <$WrenTime> | <a href="<$WrenLink>">permalink</a></p></div>
</Wren>
<footer>Published <$WrenSysDate></footer></body></html>
)";

const char *const kIndex = R"(<html><body><h1>Archives</h1><Wren><$WrenArchive=4></Wren></body></html>)";

struct Journal {
    const char *name;
    QDate first, last;
    int perDay;       // entries a day (the last of the range may get fewer)
    int total;        // entries wanted; 0 for perDay a day over the range
    bool inPageIndex; // "<$WrenArchive=4>" in the page template
    bool markdown = false;
};

QString entryText(int n, int size)
{
    QString text;
    while (text.size() < size)
        text += QStringLiteral("Entry %1 walks through the <b>wood</b> again, counting <i>birds</i> and "
                               "<a href=\"https://example.org/%1\">noting</a> what changed.\r\n")
                    .arg(n);
    return text;
}

// The same entry in Markdown: each line a paragraph of its own.
QString markdownText(int n, int size)
{
    QString text;
    while (text.size() < size)
        text += QStringLiteral("Entry %1 walks through the **wood** again, counting *birds* and "
                               "[noting](https://example.org/%1) what changed.\r\n\r\n")
                    .arg(n);
    return text;
}

void build(const QString &dir, const Journal &journal)
{
    QDir().mkpath(dir + "/site");
    DataVersion::createMissingTables(dir);
    QFile ini(dir + "/wren.INI");
    ini.open(QIODevice::WriteOnly);
    ini.write(journal.markdown ? "[General]\nVersion=5.0\n[EntryFormat]\n1=Markdown\n" : "[General]\nVersion=5.0\n");
    ini.close();

    Database db("bench");
    db.open(dir);
    db.run("BEGIN");
    db.run(QStringLiteral("INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, "
                          "ArcReverse) VALUES (1, '%1', 1, 'dddd, mmmm d, yyyy', 'h:nn am/pm', 'mmm d, yyyy', "
                          "'Weekly', 1)")
               .arg(QString::fromLatin1(journal.name)));
    QString page = QString::fromUtf8(kPage);
    page.replace("@SIDEBAR@", journal.inPageIndex ? QStringLiteral("<aside><$WrenArchive=4></aside>\n") : QString());
    QSqlQuery t(db.connection());
    t.prepare("INSERT INTO Templates (ID, Name, Template) VALUES (?, ?, ?)");
    t.addBindValue(QVariantList{1, 2});
    t.addBindValue(QVariantList{"page", "index"});
    t.addBindValue(QVariantList{page, QString::fromUtf8(kIndex)});
    t.execBatch();
    db.run("INSERT INTO Sites (ID, Name, Active) VALUES (1, 'local', 0)");
    QSqlQuery u(db.connection());
    u.prepare("INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, "
              "ArcExt, AutoArc) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', ?, 1, 'html', 0)");
    u.addBindValue(dir + "/site");
    db.run(u);
    QSqlQuery e(db.connection());
    e.prepare("INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, ?, ?, ?, 'bench', ?)");
    const int days = static_cast<int>(journal.first.daysTo(journal.last)) + 1;
    const int total = journal.total > 0 ? journal.total : days * journal.perDay;
    // Small entries when there are many a day, so that a day's page stays near 14 KB.
    const int size = journal.perDay > 1 ? 1000 / journal.perDay + 100 : 1000;
    for (int n = 0; n < total; ++n) {
        const QDate d = journal.first.addDays(static_cast<qint64>(n) * days / total);
        const int minute = 8 * 60 + 30 + (n % journal.perDay) * 50;
        e.addBindValue(d.toString(Qt::ISODate));
        e.addBindValue(QStringLiteral("%1:%2:00")
                           .arg(minute / 60, 2, 10, QLatin1Char('0'))
                           .arg(minute % 60, 2, 10, QLatin1Char('0')));
        e.addBindValue(journal.markdown ? markdownText(n, size) : entryText(n, size));
        e.addBindValue(n % 3 == 0 ? QStringLiteral("Day %1").arg(n) : QString());
        db.run(e);
    }
    db.run("COMMIT");
    std::printf("%s: %d entries written to %s\n", journal.name, total, qPrintable(dir));
}

struct Sample {
    double seconds;
    double cpu;
    long peakKiB;
};

void emptyFolder(const QString &dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}

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
    const double cpu =
        usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    return {seconds, cpu, usage.ru_maxrss};
}

// One program measured: its samples, and what it prepares before each run.
struct Contender {
    std::string label;
    QString program;
    QStringList args;
    QString outputDir; // emptied before each run (not timed); empty: none
    int pages = 1;
    std::vector<Sample> samples;
    QString removedFile = QString(); // removed before each run (not timed); empty: none

    void runOnce()
    {
        if (!outputDir.isEmpty())
            emptyFolder(outputDir);
        if (!removedFile.isEmpty())
            QFile::remove(removedFile);
        samples.push_back(::runOnce(program, args));
    }
    double median() const { return sorted()[samples.size() / 2].seconds; }
    std::vector<Sample> sorted() const
    {
        std::vector<Sample> s = samples;
        std::sort(s.begin(), s.end(), [](const Sample &a, const Sample &b) { return a.seconds < b.seconds; });
        return s;
    }
    void print() const
    {
        const std::vector<Sample> s = sorted();
        std::vector<double> cpu;
        long peak = 0;
        for (const Sample &x : s) {
            cpu.push_back(x.cpu);
            peak = std::max(peak, x.peakKiB);
        }
        std::sort(cpu.begin(), cpu.end());
        const Sample &m = s[s.size() / 2];
        std::printf("%-44s median %.3f s (min %.3f, max %.3f), CPU %.3f s, %.0f pages/s, peak memory %.1f MB\n",
                    label.c_str(), m.seconds, s.front().seconds, s.back().seconds, cpu[cpu.size() / 2],
                    pages / m.seconds, peak / 1024.0);
    }
};

// Five rounds, each running every contender once in turn.
void interleave(std::vector<Contender> &contenders, int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        for (Contender &c : contenders)
            c.runOnce();
    for (const Contender &c : contenders)
        c.print();
}

int archivePagesOn(const QString &site)
{
    // "arc" and a day: not the archive index, archive.html.
    return static_cast<int>(QDir(site).entryList({"arc????????.html"}, QDir::Files).size());
}

// The weeks of a journal, Sunday to Saturday, and their entries newest first.
struct NaiveEntry {
    int id;
    QDate day;
    std::string time, title, entry;
};

std::string pageLinkName(const QDate &sunday)
{
    return "arc" + sunday.toString("yyyyMMdd").toStdString() + ".html";
}

std::string paragraphs(const std::string &text)
{
    std::string out;
    size_t start = 0;
    for (size_t c = text.find("\r\n"); c != std::string::npos; c = text.find("\r\n", start)) {
        out += "<p>" + text.substr(start, c - start) + "</p>";
        start = c + 2;
    }
    return out + text.substr(start);
}

// The naive writer: reads the entries once and writes each week's page and
// the index with std::string and std::ofstream, no templates, no checks.
int naiveWriter(const QString &dataDir, const QString &outDir)
{
    Database db("naive");
    db.open(dataDir);
    std::map<QDate, std::vector<NaiveEntry>> weeks;
    QSqlQuery q = db.run("SELECT ID, eDate, eTime, Title, Entry FROM Journal ORDER BY eDate DESC, eTime DESC");
    while (q.next()) {
        const QDate day = QDate::fromString(q.value(1).toString(), Qt::ISODate);
        const QDate sunday = day.addDays(-(day.dayOfWeek() % 7));
        const QTime t = QTime::fromString(q.value(2).toString(), "HH:mm:ss");
        weeks[sunday].push_back({q.value(0).toInt(), day, t.toString("h:mm ap").toStdString(),
                                 q.value(3).toString().toStdString(), q.value(4).toString().toStdString()});
    }
    const std::string out = QFile::encodeName(outDir).toStdString() + "/";
    const std::string today = QDate::currentDate().toString("dddd, MMMM d, yyyy").toStdString();
    std::string index = "<html><body><h1>Archives</h1><table border=\"0\" width=\"100%\">";
    int cells = 0;
    for (auto w = weeks.begin(); w != weeks.end(); ++w) {
        const std::string prev = w == weeks.begin() ? "index.html" : pageLinkName(std::prev(w)->first);
        const std::string next = std::next(w) == weeks.end() ? "index.html" : pageLinkName(std::next(w)->first);
        std::string page =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>journal</title>\n"
            "<link rel=\"stylesheet\" href=\"style.css\"></head>\n<body><h1>journal</h1>\n<nav><a href=\"" +
            prev + "\">earlier</a> | <a href=\"archive.html\">archive</a> | <a href=\"" + next + "\">later</a></nav>\n";
        QDate header;
        for (const NaiveEntry &e : w->second) {
            if (e.day != header) {
                header = e.day;
                page += "<h2 class=\"day\">" + e.day.toString("dddd, MMMM d, yyyy").toStdString() + "</h2>";
            }
            const std::string id = std::to_string(e.id);
            page += "\n<div class=\"entry\"><h3>" + e.title + "</h3>\n<a name=\"WrenID" + id + "\"></a>" +
                    paragraphs(e.entry) + "\n<p class=\"meta\">Posted by bench at " + e.time + " | <a href=\"" +
                    pageLinkName(w->first) + "#WrenID" + id + "\">permalink</a></p></div>\n";
        }
        page += "\n<footer>Published " + today + "</footer></body></html>\n";
        std::ofstream(out + pageLinkName(w->first), std::ios::binary) << page;
    }
    for (auto w = weeks.rbegin(); w != weeks.rend(); ++w) {
        if (cells == 0)
            index += "<tr>";
        index += "<td><a href=\"" + pageLinkName(w->first) + "\">" + w->first.toString("MMM d, yyyy").toStdString() +
                 " - " + w->first.addDays(6).toString("MMM d, yyyy").toStdString() + "</a></td>";
        if (++cells == 4) {
            index += "</tr>";
            cells = 0;
        }
    }
    index += cells ? "</tr></table></body></html>" : "</table></body></html>";
    std::ofstream(out + "archive.html", std::ios::binary) << index;
    return 0;
}

// The Hugo site of the same journal: one post per entry, rendered only in the
// term pages of its week, with the markup the page template gives it.
void buildHugoSite(const QString &dataDir, const QString &hugoDir)
{
    QDir(hugoDir).removeRecursively();
    QDir().mkpath(hugoDir + "/content/posts");
    QDir().mkpath(hugoDir + "/layouts/_default");
    auto write = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    };
    write(hugoDir + "/config.toml", "baseURL = \"http://example.org/\"\ndisableKinds = [\"RSS\", \"sitemap\", "
                                    "\"robotsTXT\", \"404\"]\n[taxonomies]\nweek = \"week\"\n");
    write(hugoDir + "/layouts/_default/term.html",
          "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>journal</title>\n"
          "<link rel=\"stylesheet\" href=\"style.css\"></head>\n<body><h1>journal</h1>\n"
          "<nav><a href=\"{{ with .PrevInSection }}{{ .RelPermalink }}{{ end }}\">earlier</a> | <a "
          "href=\"/week/\">archive</a> | <a href=\"{{ with .NextInSection }}{{ .RelPermalink }}{{ end "
          "}}\">later</a></nav>\n"
          "{{ range .Pages.ByDate.Reverse }}<h2 class=\"day\">{{ .Date.Format \"Monday, January 2, 2006\" }}</h2>\n"
          "<div class=\"entry\"><h3>{{ .Title }}</h3>\n<a name=\"WrenID{{ .Params.id }}\"></a>{{ .Content }}\n"
          "<p class=\"meta\">Posted by bench at {{ .Date.Format \"3:04 pm\" }} | <a href=\"#WrenID{{ .Params.id "
          "}}\">permalink</a></p></div>\n{{ end }}\n<footer>Published {{ now.Format \"Monday, January 2, 2006\" "
          "}}</footer></body></html>\n");
    write(hugoDir + "/layouts/_default/taxonomy.html",
          "<html><body><h1>Archives</h1><table border=\"0\" width=\"100%\">{{ range .Data.Terms.Alphabetical.Reverse "
          "}}<td><a href=\"{{ .Page.RelPermalink }}\">{{ .Page.Title }}</a></td>{{ end }}</table></body></html>\n");
    write(hugoDir + "/layouts/_default/list.html", "");
    write(hugoDir + "/layouts/_default/single.html", "");
    write(hugoDir + "/layouts/index.html", "");
    Database db("hugo");
    db.open(dataDir);
    QSqlQuery q = db.run("SELECT ID, eDate, eTime, Title, Entry FROM Journal");
    while (q.next()) {
        const QDate day = QDate::fromString(q.value(1).toString(), Qt::ISODate);
        const QDate sunday = day.addDays(-(day.dayOfWeek() % 7));
        const QByteArray body = QByteArray::fromStdString(paragraphs(q.value(4).toString().toStdString()));
        const QByteArray front = QStringLiteral("---\ntitle: \"%1\"\ndate: %2T%3\nid: %4\nweek: [\"%5\"]\n_build:\n  "
                                                "render: never\n  list: always\n---\n")
                                     .arg(q.value(3).toString(), q.value(1).toString(), q.value(2).toString(),
                                          q.value(0).toString(), sunday.toString("yyyy-MM-dd"))
                                     .toUtf8();
        write(hugoDir + "/content/posts/" + q.value(0).toString() + ".html", front + body);
    }
}

// A copy of a journal's data directory whose upload archives automatically,
// with the archive pages kept current at every publish or not, and its site
// made current by one publish. With a feed, the copy also has the upload New
// Journal makes for it: the starter feed template, archiving too, so that
// every period has a feed beside its page.
QString autoArchivingCopy(const QString &publisher, const QString &dir, bool keepCurrent, bool feed)
{
    const QString copy = dir + (keepCurrent ? "-kept-current" : "-recent-only") + (feed ? "-feed" : "");
    QDir(copy).removeRecursively();
    QDir().mkpath(copy + "/site");
    for (const QString &name : QDir(dir).entryList({"*.DAT"}, QDir::Files))
        QFile::copy(dir + '/' + name, copy + '/' + name);
    QFile ini(copy + "/wren.INI");
    ini.open(QIODevice::WriteOnly);
    ini.write(keepCurrent ? "[General]\nVersion=5.0\nKeepArchivesCurrent=1\n" : "[General]\nVersion=5.0\n");
    ini.close();
    {
        Database db("copy");
        db.open(copy);
        QSqlQuery u(db.connection());
        u.prepare("UPDATE Upload SET AutoArc=1, LastArc=NULL, Directory=?");
        u.addBindValue(copy + "/site");
        db.run(u);
        if (feed) {
            Designs::Names names;
            names.title = "journal";
            names.author = "Ann";
            names.siteUrl = "https://example.org/journal/";
            QSqlQuery t(db.connection());
            t.prepare("INSERT INTO Templates (Name, Template) VALUES ('feed', ?)");
            t.addBindValue(Designs::feedTemplate(names));
            db.run(t);
            QSqlQuery f(db.connection());
            f.prepare("INSERT INTO Upload (Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, "
                      "ArcExt, AutoArc, ImageDir) SELECT Journal, Site, ?, ArcTemplate, 'feed.xml', 'feeds.html', "
                      "Directory, 1, 'xml', 1, '' FROM Upload LIMIT 1");
            f.addBindValue(t.lastInsertId());
            db.run(f);
        }
    }
    runOnce(publisher, {"--data-dir", copy});
    return copy;
}

// What keeping every archive page current adds to Publish Entries when the
// pages are current already: every page made and compared with the site's,
// against the rule of the recent periods only (the last entry's period);
// then the same for a journal with the feed, whose period feeds are made too.
void timeKeptArchives(const QString &publisher, const QString &dir)
{
    for (const bool feed : {false, true}) {
        const QString kept = autoArchivingCopy(publisher, dir, true, feed);
        const QString recent = autoArchivingCopy(publisher, dir, false, feed);
        const int periods = archivePagesOn(kept + "/site");
        const int files = periods * (feed ? 2 : 1) + 1; // a page (and a feed) a period, the current page
        const std::string with = feed ? ", with the feed" : "";
        std::vector<Contender> runs{
            {"publish, archive pages kept current" + with, publisher, {"--data-dir", kept}, QString(), files, {}},
            {"publish, recent archive pages only" + with,
             publisher,
             {"--data-dir", recent},
             QString(),
             feed ? 2 : 1,
             {}}};
        interleave(runs);
        std::printf("  keeping %d archive pages%s current adds %.3f s to a publish\n", periods,
                    feed ? " and their feeds" : "", runs[0].median() - runs[1].median());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--naive")
        return naiveWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: publish_bench WREN_PUBLISH [WORK_DIR]\n");
        return 2;
    }
    QTemporaryDir temp;
    const QString work = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp.path();
    const QString publisher = QString::fromLocal8Bit(argv[1]);
    const QString baseline = qEnvironmentVariable("WREN_PUBLISH_BASELINE");
    const QString self = QCoreApplication::applicationFilePath();
    const QString hugo = QStandardPaths::findExecutable("hugo");

    const std::vector<Journal> journals{
        {"journal-7305", QDate(2006, 1, 1), QDate(2025, 12, 31), 1, 0, false},
        {"journal-7305-markdown", QDate(2006, 1, 1), QDate(2025, 12, 31), 1, 0, false, true},
        {"journal-7305-index", QDate(2006, 1, 1), QDate(2025, 12, 31), 1, 0, true},
        {"journal-14610-index", QDate(1986, 1, 1), QDate(2025, 12, 31), 1, 0, true},
        {"journal-100000", QDate(2006, 1, 1), QDate(2025, 12, 31), 14, 100000, false},
    };
    for (const Journal &journal : journals) {
        const QString dir = work + '/' + QString::fromLatin1(journal.name);
        if (!QFile::exists(dir + "/Journal.DAT"))
            build(dir, journal);
        const QString site = dir + "/site";
        const QStringList archiveArgs{"--data-dir", dir, "--archives", journal.first.toString(Qt::ISODate),
                                      journal.last.toString(Qt::ISODate)};
        // One run first, to count the pages it makes.
        emptyFolder(site);
        runOnce(publisher, archiveArgs);
        const int pages = archivePagesOn(site) + 1;
        std::printf("%s: %d archive pages and the index\n", journal.name, pages - 1);

        std::vector<Contender> contenders;
        contenders.push_back({std::string(journal.name) + " archive run", publisher, archiveArgs, site, pages, {}});
        if (!baseline.isEmpty())
            contenders.push_back(
                {std::string(journal.name) + " archive run (baseline)", baseline, archiveArgs, site, pages, {}});
        const bool compare = std::string(journal.name) == "journal-7305";
        const QString htmlDir = work + "/journal-7305";
        // The same run with no entry converted before: the first publish.
        if (journal.markdown)
            contenders.push_back({std::string(journal.name) + " archive run, nothing cached",
                                  publisher,
                                  archiveArgs,
                                  site,
                                  pages,
                                  {},
                                  dir + "/Markdown.cache"});
        if (journal.markdown)
            contenders.push_back({"  journal-7305 (HTML) archive run",
                                  publisher,
                                  {"--data-dir", htmlDir, "--archives", journal.first.toString(Qt::ISODate),
                                   journal.last.toString(Qt::ISODate)},
                                  htmlDir + "/site",
                                  pages,
                                  {}});
        if (compare) {
            const QString naiveOut = dir + "/naive";
            contenders.push_back(
                {"  naive writer (std::ofstream)", self, {"--naive", dir, naiveOut}, naiveOut, pages, {}});
            if (!hugo.isEmpty()) {
                const QString hugoDir = dir + "/hugo";
                buildHugoSite(dir, hugoDir);
                contenders.push_back({"  hugo",
                                      hugo,
                                      {"--quiet", "-s", hugoDir, "-d", hugoDir + "/public"},
                                      hugoDir + "/public",
                                      pages,
                                      {}});
            } else {
                std::printf("  hugo is not installed: no comparison with it\n");
            }
        }
        interleave(contenders);
        if (journal.markdown)
            std::printf("  Markdown over HTML: %.2f (nothing cached: %.2f)\n",
                        contenders[0].median() / contenders.back().median(),
                        contenders[contenders.size() - 2].median() / contenders.back().median());
        if (compare) {
            std::printf("  Wren over the naive writer: %.2f\n",
                        contenders[0].median() / contenders[baseline.isEmpty() ? 1 : 2].median());
            if (!hugo.isEmpty())
                std::printf("  Wren over Hugo: %.3f\n", contenders[0].median() / contenders.back().median());
        }
        if (journal.name == std::string("journal-7305")) {
            std::vector<Contender> plain{
                {"plain publish (one page)", publisher, {"--data-dir", dir}, QString(), 1, {}}};
            interleave(plain);
            timeKeptArchives(publisher, dir);
        }
    }
    return 0;
}
