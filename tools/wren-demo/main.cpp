// wren-demo DIR [--today YYYY-MM-DD]: writes a ready demo data directory.
#include "DemoJournal.h"

#include "base/WrenError.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    const char *usage = "usage: wren-demo DIR [--today YYYY-MM-DD]\n"
                        "Writes the demo journal, its templates and a local site into the empty directory DIR.\n";
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        QTextStream(stdout) << usage;
        return 0;
    }
    QDate today = QDate::currentDate();
    const qsizetype todayAt = args.indexOf(QStringLiteral("--today"));
    if (todayAt >= 0) {
        today = todayAt + 1 < args.size() ? QDate::fromString(args[todayAt + 1], Qt::ISODate) : QDate();
        if (!today.isValid()) {
            err << "wren-demo: --today needs a date YYYY-MM-DD\n";
            return 2;
        }
        args.remove(todayAt, 2);
    }
    // An option it does not know is no directory name.
    if (args.size() != 1 || args.first().startsWith(u'-')) {
        err << usage;
        return 2;
    }
    try {
        DemoJournal::create(args.first(), today);
    } catch (const WrenError &error) {
        err << "wren-demo: " << error.message() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Demo journal written to " << args.first() << '\n';
    return 0;
}
