// Golden cases: each folder under tests/data/publish holds the input of one
// publish (input.sql, an optional wren.INI, run.txt with the commands, which
// may change the entries between runs with "sql STATEMENT") and what
// must come out (expected/log.txt, expected/site/..., expected/state.txt),
// compared byte for byte. WREN_UPDATE_GOLDEN=1 writes the actual output over
// the expected files instead, to be read and checked by hand before a commit.
#include "TestSupport.h"

#include "engine/Journals.h"
#include "base/Settings.h"
#include "engine/DataVersion.h"
#include "publish/PublishRun.h"
#include "transfer/SiteTransfer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>

namespace {

const QString kCases = QStringLiteral(WREN_TEST_DATA "/publish");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Every file under dir, by relative path.
QStringList filesUnder(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

std::string unifiedDiff(const QByteArray &expected, const QByteArray &actual)
{
    QTemporaryDir dir;
    writeAll(dir.filePath("expected"), expected);
    writeAll(dir.filePath("actual"), actual);
    QProcess diff;
    diff.start("diff", {"-u", dir.filePath("expected"), dir.filePath("actual")});
    diff.waitForFinished();
    return diff.readAllStandardOutput().toStdString();
}

class GoldenPublishTest : public ::testing::TestWithParam<QString> {};

} // namespace

TEST_P(GoldenPublishTest, Case)
{
    const QString caseDir = kCases + '/' + GetParam();
    QTemporaryDir work;
    const QString data = work.filePath("data");
    const QString site = work.filePath("site");
    const QString staging = work.filePath("staging");
    QDir().mkpath(data);
    QDir().mkpath(site);
    QDir().mkpath(staging);
    auto expand = [&](QString text) {
        return text.replace("@SITE@", site).replace("@CASE@", caseDir).replace("@STAGING@", staging);
    };
    auto placeholders = [&](QString text) {
        return text.replace(staging, "@STAGING@").replace(site, "@SITE@").replace(caseDir, "@CASE@");
    };

    const QByteArray ini = readAll(caseDir + "/wren.INI");
    writeAll(data + "/wren.INI", ini.isEmpty() ? QByteArray("[General]\nVersion=5.0\n") : ini);
    DataVersion::createMissingTables(data);
    Database db("golden");
    db.open(data, staging);
    for (const QString &statement : expand(QString::fromUtf8(readAll(caseDir + "/input.sql"))).split(";\n")) {
        if (!statement.trimmed().isEmpty())
            db.run(statement);
    }

    Settings settings(data + "/wren.INI");
    QStringList log;
    SiteTransfer transfer(staging, [&](const QString &line) { log << placeholders(line); });
    transfer.setCopiesInBackground(true); // as the commands copy
    PendingLists pending;
    QDateTime now(QDate(2002, 3, 12), QTime(14, 5));
    int journalId = 1;
    const QStringList commands = QString::fromUtf8(readAll(caseDir + "/run.txt")).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(commands.isEmpty()) << "run.txt is missing";
    for (const QString &line : commands) {
        const QStringList words = line.split(' ', Qt::SkipEmptyParts);
        const QString &verb = words.at(0);
        if (verb == "now") {
            now = QDateTime::fromString(words.at(1) + 'T' + words.at(2), Qt::ISODate);
        } else if (verb == "sql") {
            db.run(expand(line.mid(4)));
        } else if (verb == "journal") {
            journalId = words.at(1).toInt();
        } else if (verb == "mkdir") {
            QDir().mkpath(expand(words.at(1)));
        } else if (verb == "pending-file" || verb == "pending-image") {
            (verb == "pending-file" ? pending.files : pending.images) << expand(words.at(1));
        } else if (verb == "publish" || verb == "archives") {
            PublishContext ctx{db,
                               settings,
                               PublishOptions::fromSettings(settings),
                               Clock::fixed(now),
                               NameTables::fromSettings(settings),
                               staging,
                               *Journals::load(db, journalId),
                               transfer,
                               pending};
            PublishRun run(ctx);
            if (verb == "publish") {
                run.PublishEntry();
            } else {
                const QDate from = QDate::fromString(words.at(1), Qt::ISODate);
                const QDate to = QDate::fromString(words.at(2), Qt::ISODate);
                run.PublishArchive(from, to);
            }
        } else {
            FAIL() << "unknown command in run.txt: " << line.toStdString();
        }
    }

    // The state a publish leaves behind besides its files.
    QStringList state;
    QSqlQuery uploads = db.run("SELECT ID, LastArc FROM Upload ORDER BY ID");
    while (uploads.next())
        state << QString("Upload %1 LastArc=%2").arg(uploads.value(0).toString(), uploads.value(1).toString());
    state << QString("CookieSeq=%1").arg(settings.value(Setting::CookieSeq));
    state << QString("failures=%1").arg(transfer.failures());

    QMap<QString, QByteArray> actual;
    actual["log.txt"] = (log.join('\n') + '\n').toUtf8();
    actual["state.txt"] = (state.join('\n') + '\n').toUtf8();
    for (const QString &file : filesUnder(site))
        actual["site/" + file] = placeholders(QString::fromUtf8(readAll(site + '/' + file))).toUtf8();

    const QString expectedDir = caseDir + "/expected";
    if (qEnvironmentVariableIsSet("WREN_UPDATE_GOLDEN")) {
        QDir(expectedDir).removeRecursively();
        for (auto it = actual.cbegin(); it != actual.cend(); ++it)
            writeAll(expectedDir + '/' + it.key(), it.value());
        return;
    }
    QStringList expectedFiles = filesUnder(expectedDir);
    EXPECT_EQ(QStringList(actual.keys()), expectedFiles) << "the files written differ";
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        const QByteArray expected = readAll(expectedDir + '/' + it.key());
        EXPECT_TRUE(expected == it.value()) << it.key().toStdString() << " differs:\n"
                                            << unifiedDiff(expected, it.value());
    }
}

INSTANTIATE_TEST_SUITE_P(Publish, GoldenPublishTest, ::testing::ValuesIn([] {
                             std::vector<QString> cases;
                             for (const QString &name : QDir(kCases).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                                 cases.push_back(name);
                             return cases;
                         }()),
                         [](const ::testing::TestParamInfo<QString> &param) {
                             std::string name = param.param.toStdString();
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });
