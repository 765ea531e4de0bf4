// Times the expansion of one entry block for a few entries: an ordinary block
// and a block of about the same length holding 10,000 tags, then blocks of
// growing tag counts. Expansion is linear when the time per byte stays flat.
//
//   expand_bench
#include "engine/Journals.h"
#include "base/Settings.h"
#include "engine/DataVersion.h"
#include "engine/Database.h"
#include "publish/PageWriter.h"
#include "transfer/SiteTransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The median time in microseconds of writing the page for the template.
double medianMicros(PublishContext &ctx, const QByteArray &templateText)
{
    PageWriter writer(ctx);
    PageRequest page;
    page.upload.arcExt = QStringLiteral("html");
    page.upload.logFile = QStringLiteral("index.html");
    page.firstDay = QDate(2026, 12, 1);
    page.lastDay = QDate(2026, 12, 3);
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        writer.WritePage(templateText, page, out);
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QByteArray withBlock(const QByteArray &block)
{
    return "<html><body><Wren>" + block + "</Wren></body></html>";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    DataVersion::createMissingTables(dir.path());
    Database db(QStringLiteral("bench"));
    db.open(dir.path());
    db.run(QStringLiteral("INSERT INTO Names (ID, Name, DtFormat, TmFormat, ArcType) "
                          "VALUES (1, 'J', 'mmmm d, yyyy', 'hh:nn', 'Weekly')"));
    for (int d = 1; d <= 3; ++d)
        db.run(QStringLiteral("INSERT INTO Journal (Name, eDate, eTime, Entry, Title, Author) "
                              "VALUES (1, '2026-12-0%1', '10:00:00', 'entry text', 'title', 'me')")
                   .arg(d));
    Settings settings(dir.filePath(QStringLiteral("wren.INI")));
    SiteTransfer transfer(dir.path(), [](const QString &) {});
    PendingLists pending;
    PublishContext ctx{db,
                       settings,
                       PublishOptions(),
                       Clock::system(),
                       NameTables::fromLocale(),
                       dir.path(),
                       *Journals::load(db, 1),
                       transfer,
                       pending};

    const QByteArray tag = "<$WrenTitle>";
    const QByteArray tags = tag.repeated(10000);
    const QByteArray plain =
        QByteArray("<p>plain text of the block, no tags at all.</p>\n").repeated(int(tags.size() / 48));
    std::printf("%-34s %10s %12s %12s\n", "block", "bytes", "median us", "ns per byte");
    auto row = [&](const char *name, const QByteArray &block) {
        const double us = medianMicros(ctx, withBlock(block));
        std::printf("%-34s %10lld %12.0f %12.2f\n", name, static_cast<long long>(block.size()), us,
                    us * 1000.0 / double(block.size() * 3));
    };
    row("ordinary (no tags)", plain);
    row("10,000 tags", tags);
    for (int n : {2500, 5000, 20000, 40000})
        row(QByteArray("tags x ").append(QByteArray::number(n)).constData(), tag.repeated(n));
    row("10,000 tags after a day header",
        "<WrenHeader><$WrenDate></WrenHeader>" + QByteArray("<$WrenTitle> text ").repeated(10000));
    return 0;
}
