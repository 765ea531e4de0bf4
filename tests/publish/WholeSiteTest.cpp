// A site as a user builds it over three months, with each starter design:
// entries on the day and on earlier days (also months back), weeks and a
// month without entries, a year boundary, an old entry corrected and one
// deleted, published day by day into a local folder; then checked as a reader would meet it, with
// Debian's linkchecker and a real feed parser.
#include "TestSupport.h"

#include "engine/Journals.h"
#include "base/Settings.h"
#include "engine/DataVersion.h"
#include "manage/JournalSetup.h"
#include "publish/PublishRun.h"
#include "transfer/SiteTransfer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <iostream>
#include <sys/stat.h>

namespace {

struct Look {
    const char *design;
    bool monthly;
    int periods; // the weeks or months of the history that hold entries at its end
};

[[maybe_unused]] void PrintTo(const Look &look, std::ostream *os)
{
    *os << look.design;
}

class WholeSiteTest : public ::testing::TestWithParam<Look> {
protected:
    void SetUp() override
    {
        // linkchecker run by root reads the site as "nobody" (keeping root's group).
        QFile::setPermissions(work.path(), QFile::permissions(work.path()) | QFile::ReadGroup | QFile::ExeGroup |
                                               QFile::ReadOther | QFile::ExeOther);
        QDir().mkpath(data);
        QDir().mkpath(staging);
        ASSERT_EQ(DataVersion::check(settings, data).outcome, DataVersion::Outcome::FreshStart);
        db.open(data, staging);
        JournalAnswers answers;
        answers.name = QStringLiteral("Whole Site");
        answers.author = QStringLiteral("Ann");
        answers.monthly = GetParam().monthly;
        answers.folder = site;
        answers.webSite = QStringLiteral("https://example.org/whole/");
        answers.design = QString::fromLatin1(GetParam().design);
        answers.firstEntry = QStringLiteral("Hello! This is where my journal begins.");
        answers.now = QDateTime(QDate(2026, 10, 5), QTime(9, 0));
        JournalSetup::create(db, answers);
    }

    void add(const char *day, const char *time, const char *title, const char *text)
    {
        db.run(QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (1, '%1', '%2', "
                              "'%3', 'Ann', '%4')")
                   .arg(QLatin1String(day), QLatin1String(time), QLatin1String(text), QLatin1String(title)));
    }
    void publish(const char *when, const std::optional<std::pair<QDate, QDate>> &archives = std::nullopt)
    {
        SiteTransfer transfer(staging, [](const QString &) {});
        transfer.setCopiesInBackground(true);
        PendingLists pending;
        PublishContext ctx{db,
                           settings,
                           PublishOptions::fromSettings(settings),
                           Clock::fixed(QDateTime::fromString(QLatin1String(when), Qt::ISODate)),
                           NameTables::fromSettings(settings),
                           staging,
                           *Journals::first(db),
                           transfer,
                           pending};
        PublishRun run(ctx);
        archives ? run.PublishArchive(archives->first, archives->second) : run.PublishEntry();
        EXPECT_EQ(transfer.failures(), 0) << when;
    }
    // The site's files, each with what changes when it is written again.
    QStringList stamps() const
    {
        QStringList files;
        for (const QString &name : QDir(site).entryList(QDir::Files)) {
            struct stat st {};
            ::stat(QFile::encodeName(QDir(site).filePath(name)).constData(), &st);
            files << QStringLiteral("%1 %2 %3.%4")
                         .arg(name)
                         .arg(st.st_ino)
                         .arg(st.st_mtim.tv_sec)
                         .arg(st.st_mtim.tv_nsec);
        }
        return files;
    }
    QByteArray read(const QString &name) const
    {
        QFile f(QDir(site).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir work;
    QString data = work.filePath(QStringLiteral("data")), site = work.filePath(QStringLiteral("site")),
            staging = work.filePath(QStringLiteral("staging"));
    Settings settings{data + QStringLiteral("/wren.INI")};
    Database db{QStringLiteral("whole-site")};
};

} // namespace

TEST_P(WholeSiteTest, EveryLinkReachesAPageAndEveryFeedReads)
{
    publish("2026-10-05T09:30:00");
    add("2026-10-07", "19:00:00", "", "Walked to the <b>weir</b> at dusk; two herons.");
    publish("2026-10-07T20:00:00");
    // Home from a trip, written up afterwards: entries on earlier days.
    add("2026-10-20", "08:00:00", "Home again", "Back from the coast.");
    add("2026-10-14", "12:00:00", "The coast", "Grey seals hauled out on the sandbar, forty at least.");
    add("2026-10-15", "18:00:00", "", "Rain all day; <i>read</i> in the bothy.");
    publish("2026-10-20T21:00:00");
    // Nothing in November: a month and several weeks without entries.
    add("2026-12-02", "07:30:00", "", "First frost on the water butt.");
    publish("2026-12-02T08:00:00");
    add("2026-12-31", "23:00:00", "Last of the year", "Fireworks over the valley.");
    add("2027-01-02", "10:00:00", "", "");
    publish("2027-01-02T11:00:00");
    // An old entry corrected, one deleted, and a new one: Publish Entries alone.
    db.run("UPDATE Journal SET Entry='Grey seals on the sandbar: fifty-two, counted twice.' WHERE Title='The coast'");
    db.run("DELETE FROM Journal WHERE eDate='2026-12-02'");
    add("2027-01-12", "09:00:00", "", "Snowdrops under the hedge.");
    add("2026-10-27", "20:00:00", "Written up later", "The last swallows, a week after the others.");
    publish("2027-01-12T09:30:00");

    // Nothing changed: nothing is written again.
    const QStringList before = stamps();
    publish("2027-01-12T09:40:00");
    EXPECT_EQ(stamps(), before) << "a publish with nothing changed rewrote a file";

    // linkchecker, from the page a reader opens first.
    QProcess checker;
    checker.start(QStringLiteral("linkchecker"), {QStringLiteral("--no-status"), QStringLiteral("--no-warnings"),
                                                  QStringLiteral("file://") + site + QStringLiteral("/index.html")});
    ASSERT_TRUE(checker.waitForStarted(10000)) << "linkchecker is not installed (scripts/install-deps.sh)";
    ASSERT_TRUE(checker.waitForFinished(120000));
    const QString report = QString::fromUtf8(checker.readAllStandardOutput());
    const QRegularExpressionMatch counts =
        QRegularExpression(QStringLiteral("(\\d+) links? in (\\d+) URLs? checked\\. (\\d+) warnings? found\\. (\\d+) "
                                          "errors? found"))
            .match(report);
    ASSERT_TRUE(counts.hasMatch()) << report.toStdString();
    std::cout << GetParam().design << ": linkchecker " << counts.captured(0).toStdString() << std::endl;
    EXPECT_EQ(counts.captured(4), QStringLiteral("0")) << report.toStdString();
    EXPECT_EQ(checker.exitCode(), 0) << report.toStdString();
    EXPECT_EQ(counts.captured(2).toInt(), GetParam().periods + 3)
        << "every archive page with entries reached, with the current page, the archive index and the feed";

    // Every page a link of any page names exists, and holds the entry it points at.
    const QRegularExpression href(QStringLiteral("href=\"([^\":#]*)(#WrenID(\\d+))?\""));
    for (const QString &page : QDir(site).entryList({QStringLiteral("*.html")}, QDir::Files)) {
        for (const QRegularExpressionMatch &link : href.globalMatch(QString::fromUtf8(read(page)))) {
            const QString target = link.captured(1);
            if (target.isEmpty())
                continue;
            EXPECT_TRUE(QFileInfo::exists(QDir(site).filePath(target)))
                << page.toStdString() << " -> " << target.toStdString();
            if (!link.captured(3).isEmpty()) {
                EXPECT_TRUE(read(target).contains("name=\"WrenID" + link.captured(3).toUtf8() + "\""))
                    << page.toStdString() << " -> " << link.captured(0).toStdString();
            }
        }
    }
    const QString coast = GetParam().monthly ? QStringLiteral("arc20261001.html") : QStringLiteral("arc20261011.html");
    EXPECT_TRUE(read(coast).contains("fifty-two, counted twice")) << "the correction reached its archive page";
    const QString late = GetParam().monthly ? QStringLiteral("arc20261001.html") : QStringLiteral("arc20261025.html");
    EXPECT_TRUE(read(late).contains("a week after the others")) << "an entry written on an earlier day has its page";
    // The feeds of the periods, made by Publish Entries alone, as current as the pages.
    EXPECT_TRUE(read(QString(coast).replace(".html", ".xml")).contains("fifty-two, counted twice"));
    EXPECT_TRUE(read(QString(late).replace(".html", ".xml")).contains("a week after the others"));
    for (const QString &name : QDir(site).entryList(QDir::Files)) {
        EXPECT_FALSE(read(name).contains("First frost on the water butt"))
            << name.toStdString() << " holds a deleted entry";
        EXPECT_FALSE(read(name).contains("forty at least"))
            << name.toStdString() << " holds the text before its correction";
    }
    const QString newYear =
        GetParam().monthly ? QStringLiteral("arc20270101.html") : QStringLiteral("arc20261227.html");
    EXPECT_TRUE(read(newYear).contains("Last of the year") == !GetParam().monthly) << "a week across the new year";
    EXPECT_TRUE(
        read("archive.html").contains(GetParam().monthly ? ">December 2026</a>" : ">Dec 27, 2026 - Jan 2, 2027</a>"))
        << "months named as months, weeks by their days";

    // The feeds, read by feedparser: the main one and one per period.
    QStringList feeds = QDir(site).entryList({QStringLiteral("arc*.xml")}, QDir::Files);
    ASSERT_GE(feeds.size(), GetParam().periods) << "every week or month with entries has its feed";
    feeds.prepend(QStringLiteral("feed.xml"));
    QSet<QString> ids;
    for (const QString &name : feeds) {
        QProcess parser;
        parser.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(WREN_TEST_DATA "/../publish/read_feed.py"), QDir(site).filePath(name)});
        ASSERT_TRUE(parser.waitForFinished(60000));
        ASSERT_EQ(parser.exitCode(), 0) << parser.readAllStandardError().toStdString();
        const QJsonObject feed = QJsonDocument::fromJson(parser.readAllStandardOutput()).object();
        EXPECT_EQ(feed["bozo"], QJsonValue(false))
            << name.toStdString() << feed["bozo_exception"].toString().toStdString();
        EXPECT_EQ(feed["self"].toString(), "https://example.org/whole/" + name);
        ids.insert(feed["id"].toString());
        EXPECT_NE(feed["updated"], QJsonValue()) << name.toStdString();
        for (const QJsonValue &value : feed["entries"].toArray()) {
            const QJsonObject e = value.toObject();
            EXPECT_FALSE(e["title"].toString().isEmpty())
                << name.toStdString() << " " << e["link"].toString().toStdString();
            EXPECT_TRUE(e["link"].toString().startsWith("https://example.org/whole/arc"))
                << e["link"].toString().toStdString();
            EXPECT_NE(e["updated"], QJsonValue()) << e["link"].toString().toStdString();
        }
    }
    EXPECT_EQ(ids.size(), feeds.size()) << "every feed has an identity of its own";

    // Publish Archives makes the same pages and feeds: nothing to write either.
    publish("2027-01-12T09:45:00", std::make_pair(QDate(2026, 10, 1), QDate(2027, 1, 31)));
    EXPECT_EQ(stamps(), before) << "Publish Archives with nothing changed rewrote a file";
}

INSTANTIATE_TEST_SUITE_P(StarterDesigns, WholeSiteTest,
                         ::testing::Values(Look{"fieldnotes", false, 6}, Look{"notebook", true, 3}),
                         [](const ::testing::TestParamInfo<Look> &look) {
                             return std::string(look.param.design) + (look.param.monthly ? "Monthly" : "Weekly");
                         });
