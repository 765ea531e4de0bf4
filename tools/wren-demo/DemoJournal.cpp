#include "DemoJournal.h"

#include "base/PrivateFiles.h"
#include "base/Settings.h"
#include "engine/DataVersion.h"
#include "base/WrenError.h"
#include "engine/Database.h"
#include "engine/Transaction.h"
#include "publish/Designs.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTime>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace DemoJournal {

namespace {

struct Entry {
    int daysBack; // days before "today"
    const char *time;
    const char *title; // may be empty
    const char *text;  // lines are separated by CR LF; each line becomes a paragraph
};

// Newest first; forty entries over six weeks, a few days holding two.
const Entry kEntries[] = {
    {0, "07:40:00", "First frost on the pond",
     "The pond had a skin of ice this morning, thin enough to see the water boatmen rowing beneath it.\r\n"
     "A wren worked along the bank, ticking at me the whole way round."},
    {0, "21:15:00", "", "Clear night. Orion up over the barn by nine; the Pleiades sharp even without the glasses."},
    {1, "08:05:00", "",
     "Fieldfares in the hawthorn at the top of the lane, stripping the last haws. "
     "Counted <b>thirty-two</b> before they lifted and swung off towards the river."},
    {2, "17:30:00", "Rain gauge", "23&nbsp;mm in the gauge since Sunday. The ford is up to the second marker stone."},
    {3, "09:10:00", "", "Long-tailed tits, a party of nine, moving through the alders like smoke."},
    {5, "12:45:00", "The oak's last leaves",
     "Most of the big oak is bare now. The leaves that hold on are the ones low down, on the shaded side.\r\n"
     "Someone at the market said that means a hard winter. I said it means shade."},
    {5, "19:20:00", "", "Tawny owls calling back and forth across the valley: <i>ke-wick</i>, and the long answer."},
    {6, "07:55:00", "", "Fog so thick the rooks were audible long before they were visible."},
    {8, "16:10:00", "Hedge laying",
     "Spent the afternoon helping lay the hedge along the east field. Pleachers cut three-quarters through, "
     "bent over, staked and bound with hazel binders.\r\n"
     "My hands will remember this tomorrow."},
    {9, "08:30:00", "", "A heron on the weir, perfectly still for the twenty minutes I watched."},
    {10, "13:00:00", "",
     "Found a <a href=\"https://en.wikipedia.org/wiki/Hericium_erinaceus\">lion's mane</a> "
     "on the fallen beech. First one I've seen in this wood."},
    {12, "10:20:00", "Moth trap", "Last trap of the season: a December moth, two Mottled Umbers, one Feathered Thorn."},
    {12, "22:05:00", "", "Wind getting up. The weather vane has swung round to the north-east."},
    {13, "07:15:00", "", "Ice on the inside of the shed window. Bird bath frozen solid; broke it and refilled."},
    {15, "15:40:00", "Redwings", "The redwings are here. Thin <i>tseep</i> calls overhead all evening."},
    {16, "11:00:00", "", "Pruned the apple trees. Kept the cuttings for the stove."},
    {17, "09:45:00", "Otter sign",
     "Spraint on the flat stone under the bridge: fish scales, a crayfish claw, and that smell of jasmine tea "
     "everyone says and nobody believes until they try it.\r\n"
     "No otter, of course."},
    {19, "08:20:00", "", "Goldcrest in the yew by the church, close enough to see the orange stripe."},
    {19, "18:50:00", "", "First proper sunset for a week. The whole valley went copper for about four minutes."},
    {20, "14:30:00", "", "Mended the fence where the deer came through. Third time this autumn."},
    {22, "10:10:00", "Leaf count",
     "Raked the lawn. Seven barrow-loads into the leaf-mould cage, which is now taller than I am."},
    {23, "07:35:00", "", "Mist lying in the bottoms, the hilltops clear: an island morning."},
    {24, "16:00:00", "Badger path",
     "Followed the badger path from the sett down to the stream. It goes under two fences and round, never over, "
     "the fallen ash."},
    {26, "12:15:00", "", "Sloes picked for gin. Fingers purple."},
    {26, "20:40:00", "", "Heard a fox scream just after dark. Always sounds worse than it is."},
    {27, "09:00:00", "", "A jay burying acorns in the vegetable bed. I'll have oaks among the leeks come spring."},
    {29, "13:20:00", "Fungus foray",
     "Walked the lower wood with the county group.\r\n"
     "Amethyst deceivers, candlesnuff, turkey tail, a perfect fly agaric by the birches, and a dozen small "
     "brown things nobody could agree on."},
    {30, "08:10:00", "", "The swallows have gone. The wires look empty without them."},
    {31, "17:45:00", "", "Blackbird singing quietly to itself in the holly, the subsong of autumn."},
    {33, "11:30:00", "Pond dipping",
     "Took the net round the pond edge: caddis cases, a great diving beetle larva, and three smooth newts."},
    {33, "21:00:00", "", "Bats over the lane still: pipistrelles, by the sound on the detector."},
    {34, "07:50:00", "", "Spider webs strung with dew on every gorse bush on the common."},
    {36, "15:10:00", "Conkers",
     "The horse chestnut by the lych-gate has dropped its conkers. The children got there first."},
    {37, "09:25:00", "", "Buzzards, a pair, circling the ridge and calling."},
    {38, "12:00:00", "", "Apples picked: the russets in the cool store, the windfalls for juice."},
    {40, "08:45:00", "The ivy in flower",
     "The ivy on the north wall is in full flower, and loud with wasps, hoverflies and red admirals. "
     "Almost the last nectar of the year."},
    {40, "19:30:00", "", "Harvest moon coming up orange through the poplars."},
    {41, "10:05:00", "", "Started this journal again. Six weeks of notes to catch up on; beginning here."},
    {41, "16:20:00", "Why keep a journal",
     "Because the year goes round, and without notes every autumn feels like the first."},
    {42, "09:00:00", "", "Swallows gathering on the wires: forty-one, which seems the right number to start with."},
};

const char *const kCookies[] = {
    "&ldquo;In every walk with nature one receives far more than he seeks.&rdquo; &mdash; John Muir",
    "&ldquo;The clearest way into the Universe is through a forest wilderness.&rdquo; &mdash; John Muir",
    "&ldquo;Adopt the pace of nature: her secret is patience.&rdquo; &mdash; Ralph Waldo Emerson",
    "&ldquo;Look deep into nature, and then you will understand everything better.&rdquo; &mdash; Albert Einstein",
    "&ldquo;I go to nature to be soothed and healed.&rdquo; &mdash; John Burroughs",
};

void insert(Database &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db.connection());
    query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    db.run(query);
}

// The demo publishes into a folder; its feed's links name the address a web
// server started on that folder gives (python3 -m http.server 8000).
const QString kFeedBase = QStringLiteral("http://localhost:8000/");

} // namespace

void create(const QString &dataDir, const QDate &today)
{
    if (!QDir().mkpath(dataDir))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(dataDir));
    const QString dir = QDir(dataDir).absolutePath();
    Settings settings(QDir(dir).filePath(QStringLiteral("wren.INI")));
    if (QFileInfo::exists(settings.path()) || QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Names.DAT"))))
        throw WrenError(QStringLiteral("%1 already holds Wren data; choose an empty directory").arg(dir));

    const PrivateFiles privateFiles = PrivateFiles::of(dir, settings.path());
    const DataVersion::Result version = DataVersion::check(settings, dir);
    if (version.outcome != DataVersion::Outcome::FreshStart)
        throw WrenError(QStringLiteral("Could not set up a new data directory in %1").arg(dir));
    const QString siteDir = QDir(dir).filePath(QStringLiteral("site"));
    if (!QDir().mkpath(siteDir))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(siteDir));

    // The starter design's own templates, as New Journal makes them.
    Designs::Names names;
    names.title = QStringLiteral("Field Notes");
    names.author = QStringLiteral("Ellen");
    names.siteUrl = kFeedBase;
    const Designs::Templates look = Designs::templates(QStringLiteral("fieldnotes"), names);
    const QString webSite = QUrl::fromLocalFile(QDir(siteDir).filePath(QStringLiteral("index.html"))).toString();

    Database db(QStringLiteral("wren-demo"));
    db.open(dir);
    privateFiles.secure();
    Transaction transaction(db);
    insert(db,
           QStringLiteral("INSERT INTO Names (Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse, "
                          "WebSite, Author) VALUES (?,?,?,?,?,?,?,?,?)"),
           {QStringLiteral("Field Notes"), 1, QStringLiteral("dddd, mmmm d, yyyy"), QStringLiteral("h:nn am/pm"),
            QStringLiteral("mmm d, yyyy"), QStringLiteral("Weekly"), 1, webSite, QStringLiteral("Ellen")});
    insert(db, QStringLiteral("INSERT INTO Templates (Name, Template) VALUES (?,?)"),
           {QStringLiteral("Field Notes page"), look.page});
    insert(db, QStringLiteral("INSERT INTO Templates (Name, Template) VALUES (?,?)"),
           {QStringLiteral("Field Notes archive index"), look.archiveIndex});
    insert(db, QStringLiteral("INSERT INTO Templates (Name, Template) VALUES (?,?)"),
           {QStringLiteral("Field Notes feed"), Designs::feedTemplate(names)});
    insert(db, QStringLiteral("INSERT INTO Sites (Name, FTP, Login, Password, Port, Active) VALUES (?,?,?,?,?,?)"),
           {QStringLiteral("Local copy"), QString(), QString(), QString(), 21, 0});
    insert(db,
           QStringLiteral("INSERT INTO Upload (Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, "
                          "Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
           {1, 1, 1, 2, QStringLiteral("index.html"), QStringLiteral("archive.html"), siteDir, 1,
            QStringLiteral("html"), 1, QVariant(), QString()});
    // The feed: a second upload of the journal into the same folder, linking
    // into the archive pages of the first. Its own archive extension and
    // index keep its archives (one feed per period) off the pages; it
    // archives with the pages, so that its period feeds stay as current.
    insert(db,
           QStringLiteral("INSERT INTO Upload (Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, "
                          "Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
           {1, 1, 3, 2, QStringLiteral("feed.xml"), QStringLiteral("feeds.html"), siteDir, 1, QStringLiteral("xml"), 1,
            QVariant(), QString()});
    for (const char *cookie : kCookies)
        insert(db, QStringLiteral("INSERT INTO Cookie (Cookie) VALUES (?)"), {QString::fromUtf8(cookie)});

    // Oldest first and in the order of the day, so that entry numbers grow
    // with time, as they do for entries written day by day.
    std::vector<const Entry *> order;
    for (const Entry &e : kEntries)
        order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](const Entry *a, const Entry *b) {
        if (a->daysBack != b->daysBack)
            return a->daysBack > b->daysBack;
        return QTime::fromString(QString::fromLatin1(a->time)) < QTime::fromString(QString::fromLatin1(b->time));
    });
    for (const Entry *it : order) {
        insert(db,
               QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry, Author, Title) VALUES (?,?,?,?,?,?)"),
               {1, today.addDays(-it->daysBack).toString(QStringLiteral("yyyy-MM-dd")), QString::fromLatin1(it->time),
                QString::fromUtf8(it->text) + QStringLiteral("\r\n"), QStringLiteral("Ellen"),
                QString::fromUtf8(it->title)});
    }
    transaction.commit();
    db.close();
}

} // namespace DemoJournal
