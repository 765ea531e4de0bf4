// libFuzzer target for template expansion: any bytes as a page template, any
// entry text, written for three entries on two days. Nothing may crash or read
// outside the template; the prefix and suffix must reach the page as they
// are. Built by scripts/fuzz.sh with clang.

#include "base/Settings.h"
#include "engine/DataVersion.h"
#include "engine/Database.h"
#include "publish/PageText.h"
#include "publish/PageWriter.h"
#include "transfer/SiteTransfer.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct Fixture {
    QTemporaryDir dir;
    Database db{QStringLiteral("fuzz")};
    Fixture()
    {
        DataVersion::createMissingTables(dir.path());
        db.open(dir.path());
        // Each input rewrites the entries: no need to wait for the disk.
        for (const char *file : {"Journal", "Names", "Cookie", "Templates", "Sites", "Upload"})
            db.run(QStringLiteral("PRAGMA %1File.synchronous = OFF").arg(QLatin1String(file)));
        db.run(QStringLiteral("INSERT INTO Names (ID, Name, DtFormat, TmFormat, ArcDtFormat, ArcType) "
                              "VALUES (1, 'J', 'dddd, mmmm d, yyyy', 'h:nn am/pm', 'mmm d', 'Weekly')"));
        db.run(QStringLiteral("INSERT INTO Cookie (Cookie) VALUES ('a cookie')"));
        for (const char *day : {"2026-12-01", "2026-12-01", "2026-12-02"})
            db.run(QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry, Title, Author) VALUES (1, '%1', "
                                  "'10:00:00', 'x', 't', 'a')")
                       .arg(QLatin1String(day)));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "page_writer_fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Fixture f;

    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first line is the entry text of every entry, the rest the template.
    const qsizetype nl = input.indexOf('\n');
    const QByteArray entry = nl < 0 ? QByteArray() : input.left(nl);
    const QByteArray templateText = nl < 0 ? input : input.mid(nl + 1);
    QSqlQuery set(f.db.connection());
    set.prepare(QStringLiteral("UPDATE Journal SET Entry=CAST(? AS TEXT)"));
    set.addBindValue(entry);
    f.db.run(set);

    Settings settings(f.dir.filePath(QStringLiteral("wren.INI")));
    SiteTransfer transfer(f.dir.path(), [](const QString &) {});
    PendingLists pending;
    PublishContext ctx{f.db,
                       settings,
                       PublishOptions(),
                       Clock::system(),
                       NameTables::fromLocale(),
                       f.dir.path(),
                       *JournalSettings::load(f.db, 1),
                       transfer,
                       pending};
    PageRequest page;
    page.upload.arcExt = QStringLiteral("html");
    page.upload.logFile = QStringLiteral("index.html");
    page.firstDay = QDate(2026, 11, 29);
    page.lastDay = QDate(2026, 12, 5);
    QByteArray out;
    PageWriter writer(ctx);
    const QByteArray expanded = writer.ExpandGlobalTags(templateText, page);
    const bool blocks = writer.WritePage(templateText, page, out);
    const qsizetype b = PageText::findIgnoringCase(expanded, "<Wren>");
    const qsizetype e = PageText::findIgnoringCase(expanded, "</Wren>");
    if (blocks != (b >= 0 && e >= b + 6))
        std::abort();
    if (blocks && (!out.startsWith(expanded.left(b)) || !out.endsWith(expanded.mid(e + 7))))
        std::abort();
    if (!blocks && out != expanded)
        std::abort();
    return 0;
}
