// Sending only what changed: wren-publish against vsftpd (LIST listings),
// pyftpdlib (MLSD) and OpenSSH (SFTP), with the record in Transfer.DAT; and
// several connections to one site.

#include "TestServers.h"
#include "TestSupport.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/FtpListing.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

namespace {

struct Run {
    int status;
    QStringList lines;
    // The lines with the run's own staging directory taken out.
    QStringList masked() const
    {
        static const QRegularExpression staging(QStringLiteral("/[^ ]*/wrentmp-[^/]*/"));
        QStringList out = lines;
        for (QString &line : out)
            line.replace(staging, QStringLiteral("STAGING/"));
        return out;
    }
    QStringList sent() const
    {
        QStringList names;
        for (const QString &line : lines.filter(QStringLiteral("Transferring file ")))
            names << line.section(u'/', -1);
        return names;
    }
};

class SiteData {
public:
    // A demo journal whose uploads (the pages, the feed) go to the site.
    bool make(const QString &host, int port, const QString &login, const QString &password, const QString &dir)
    {
        if (QProcess::execute(QStringLiteral(WREN_DEMO_BIN), {data()}) != 0)
            return false;
        return sql(QStringLiteral("Sites.DAT"),
                   QStringLiteral("UPDATE Sites SET FTP='%1', Port=%2, Login='%3', Password='%4', Active=1")
                       .arg(host)
                       .arg(port)
                       .arg(login, password)) &&
               sql(QStringLiteral("Upload.DAT"), QStringLiteral("UPDATE Upload SET Directory='%1'").arg(dir));
    }
    bool sql(const QString &table, const QString &statement)
    {
        return QProcess::execute(QStringLiteral("sqlite3"), {data() + u'/' + table, statement}) == 0;
    }
    Run publish(const QStringList &extra = {QStringLiteral("--archives"), QStringLiteral("2026-10-01"),
                                            QStringLiteral("2026-12-31")})
    {
        QProcess run;
        run.start(QStringLiteral(WREN_PUBLISH_BIN),
                  QStringList{QStringLiteral("--data-dir"), data(), QStringLiteral("--accept-new-host")} + extra);
        run.waitForFinished(120000);
        return {run.exitCode(), QString::fromUtf8(run.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)};
    }
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }

private:
    QTemporaryDir m_dir;
};

QHash<QString, QByteArray> snapshot(const QString &dir)
{
    QHash<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(dir + u'/' + name);
        file.open(QIODevice::ReadOnly);
        files.insert(name, file.readAll());
    }
    return files;
}

// The whole cycle on one site: everything, nothing, the changed pages, a page
// deleted on the server, everything again on request.
void sendOnlyWhatChanged(SiteData &site, const QString &remoteDir)
{
    const Run first = site.publish();
    ASSERT_EQ(first.status, 0) << first.lines.join(u'\n').toStdString();
    ASSERT_GT(first.sent().size(), 2);
    const QHash<QString, QByteArray> before = snapshot(remoteDir);
    EXPECT_EQ(QStringList(before.keys()).filter(QStringLiteral(".wren-part")), QStringList());

    // A temporary file an earlier run left goes once the directory is listed;
    // other dot files, and names not of Wren's temporary form, stay.
    QFile left(remoteDir + QStringLiteral("/.gone.html.wren-part")), other(remoteDir + QStringLiteral("/.htaccess")),
        notOurs(remoteDir + QStringLiteral("/draft.wren-part"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly) && other.open(QIODevice::WriteOnly) &&
                notOurs.open(QIODevice::WriteOnly));
    left.close();
    other.close();
    notOurs.close();
    const Run second = site.publish();
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.sent(), QStringList()) << second.lines.join(u'\n').toStdString();
    EXPECT_EQ(second.lines.filter(QStringLiteral("Unchanged on site: ")).size(), first.sent().size());
    EXPECT_EQ(second.lines.filter(QStringLiteral("Deleted ")),
              QStringList{QStringLiteral("Deleted .gone.html.wren-part, left on the site by an earlier run")});
    EXPECT_FALSE(left.exists());
    EXPECT_TRUE(other.exists());
    EXPECT_TRUE(notOurs.exists());
    ASSERT_TRUE(other.remove() && notOurs.remove());

    ASSERT_TRUE(
        site.sql(QStringLiteral("Journal.DAT"),
                 QStringLiteral("UPDATE Journal SET Entry = Entry || ' changed' WHERE ID = (SELECT MIN(ID) FROM "
                                "Journal)")));
    const Run third = site.publish();
    EXPECT_EQ(third.status, 0);
    const QHash<QString, QByteArray> after = snapshot(remoteDir);
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    EXPECT_FALSE(changed.isEmpty());
    QStringList sent = third.sent();
    sent.sort();
    changed.sort();
    EXPECT_EQ(sent, changed) << "exactly the changed pages go";

    // Bytes changed, size the same: the digest tells, not the size.
    const QHash<QString, QByteArray> sized = snapshot(remoteDir);
    ASSERT_TRUE(site.sql(QStringLiteral("Journal.DAT"),
                         QStringLiteral("UPDATE Journal SET Entry = CASE WHEN substr(Entry, 1, 1) = 'Q' THEN 'R' ELSE "
                                        "'Q' END || substr(Entry, 2) WHERE ID = (SELECT MAX(ID) FROM Journal)")));
    const Run sameSize = site.publish();
    QStringList recast;
    for (auto it = sized.begin(); it != sized.end(); ++it) {
        const QByteArray now = snapshot(remoteDir).value(it.key());
        if (now != it.value()) {
            recast << it.key();
            EXPECT_EQ(now.size(), it.value().size()) << it.key().toStdString();
        }
    }
    EXPECT_FALSE(recast.isEmpty()) << sameSize.lines.join(u'\n').toStdString();
    QStringList recastSent = sameSize.sent();
    recastSent.sort();
    recast.sort();
    EXPECT_EQ(recastSent, recast);

    const QString gone = first.sent().first();
    ASSERT_TRUE(QFile::remove(remoteDir + u'/' + gone));
    const Run fourth = site.publish();
    EXPECT_EQ(fourth.sent(), QStringList{gone}) << fourth.lines.join(u'\n').toStdString();

    const Run all = site.publish({QStringLiteral("--archives"), QStringLiteral("2026-10-01"),
                                  QStringLiteral("2026-12-31"), QStringLiteral("--send-all")});
    EXPECT_EQ(all.sent().size(), first.sent().size());
}

Run archivesOver(SiteData &site, int connections, bool sendAll = false)
{
    QStringList args{QStringLiteral("--archives"), QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                     QStringLiteral("--connections"), QString::number(connections)};
    if (sendAll)
        args << QStringLiteral("--send-all");
    return site.publish(args);
}

// The files of one run go over several connections, and the log reads as
// over one: the same lines in the same order.
void severalConnections(SiteData &site, const std::function<int()> &logins)
{
    const int before = logins();
    const Run four = archivesOver(site, 4);
    const int fourLogins = logins() - before;
    ASSERT_EQ(four.status, 0) << four.lines.join(u'\n').toStdString();
    const Run one = archivesOver(site, 1, true);
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(logins() - before - fourLogins, 1);
    EXPECT_GE(fourLogins, 2) << "the files went over more than one connection";
    EXPECT_LE(fourLogins, 4);
    EXPECT_GT(one.sent().size(), 5);
    QStringList fourLines = four.masked();
    fourLines.removeIf(
        [](const QString &line) { return line.startsWith(QStringLiteral("Trusting the new host key")); });
    EXPECT_EQ(fourLines, one.masked());
}

} // namespace

TEST(UploadRecord, AnFtpSiteListedWithList)
{
    Vsftpd server;
    ASSERT_TRUE(server.start());
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("anonymous"), QStringLiteral("x"),
                          QStringLiteral("/www")));
    sendOnlyWhatChanged(site, server.root() + QStringLiteral("/www"));
    EXPECT_TRUE(server.commands().contains(QStringLiteral("LIST -a"))) << "the long form with the dot files";
}

// Publish Entries keeping every archive page current: a run with nothing
// changed sends nothing and sums each upload's archive pages up in one line;
// an entry corrected in an old week sends that week's page and feed.
TEST(UploadRecord, ArchivePagesKeptCurrentGoOnlyWhenChanged)
{
    Vsftpd server;
    ASSERT_TRUE(server.start());
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("anonymous"), QStringLiteral("x"),
                          QStringLiteral("/www")));
    const auto first = site.publish({});
    ASSERT_EQ(first.status, 0) << first.lines.join(u'\n').toStdString();
    const QStringList pages = first.sent().filter(QRegularExpression(QStringLiteral("^arc\\d{8}\\.html$")));
    ASSERT_GE(pages.size(), 6) << "every week of the demo";

    const auto second = site.publish({});
    EXPECT_EQ(second.sent(), QStringList()) << second.lines.join(u'\n').toStdString();
    // The first page unchanged reads the site's listing; the others are counted.
    EXPECT_EQ(second.lines.filter(QRegularExpression(QStringLiteral("^Unchanged on site: arc\\d{8}"))).size(), 1);
    EXPECT_TRUE(second.lines.contains(QStringLiteral("%1 archive pages unchanged").arg(pages.size() - 1)))
        << second.lines.join(u'\n').toStdString();

    ASSERT_TRUE(site.sql(QStringLiteral("Journal.DAT"),
                         QStringLiteral("UPDATE Journal SET Entry = 'corrected' WHERE ID = (SELECT MIN(ID) FROM "
                                        "Journal)")));
    // Its week's page goes, and its week's feed.
    const auto third = site.publish({});
    QString feed = pages.first();
    feed.replace(QLatin1String(".html"), QLatin1String(".xml"));
    EXPECT_EQ(third.sent(), QStringList({pages.first(), feed})) << third.lines.join(u'\n').toStdString();
    const auto onSite = snapshot(server.root() + QStringLiteral("/www"));
    EXPECT_TRUE(onSite.value(pages.first()).contains("corrected"));
    EXPECT_TRUE(onSite.value(feed).contains("corrected"));
}

TEST(UploadRecord, AnFtpSiteListedWithMlsd)
{
    PyFtpd server;
    ASSERT_TRUE(server.start());
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("alice"), QStringLiteral("apass"),
                          QStringLiteral("/www")));
    sendOnlyWhatChanged(site, server.home(QStringLiteral("alice")) + QStringLiteral("/www"));
    EXPECT_TRUE(server.commands().contains(QStringLiteral("MLSD")));
    EXPECT_FALSE(server.commands().contains(QStringLiteral("LIST")));
}

TEST(UploadRecord, AnSftpSite)
{
    Sshd server;
    ASSERT_TRUE(server.start());
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("sftp://127.0.0.1"), server.port(), QStringLiteral("wrentest"),
                          QStringLiteral("secret"), server.home() + QStringLiteral("/www")));
    sendOnlyWhatChanged(site, server.home() + QStringLiteral("/www"));
}

// A record that is not a database is set aside with one line and every page
// goes; one that is a link is replaced, and what it pointed to stays as it was.
TEST(UploadRecord, ADamagedOrLinkedRecordIsSetAsideAndEveryPageGoes)
{
    PyFtpd server;
    ASSERT_TRUE(server.start());
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("alice"), QStringLiteral("apass"),
                          QStringLiteral("/www")));
    const QString record = site.data() + QStringLiteral("/Transfer.DAT");
    const auto first = site.publish();
    ASSERT_EQ(first.status, 0) << first.lines.join(u'\n').toStdString();
    EXPECT_EQ(QFileInfo(record).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner)
        << "readable by the user only";

    QFile damaged(record);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(3000, '#'));
    damaged.close();
    const auto second = site.publish();
    EXPECT_EQ(second.status, 0) << second.lines.join(u'\n').toStdString();
    const QString aside = record + QStringLiteral(".damaged-") + QDate::currentDate().toString(Qt::ISODate);
    EXPECT_EQ(second.lines.filter(QStringLiteral("Transfer.DAT")),
              QStringList{QStringLiteral("The upload record %1 is damaged (file is not a database): it is set aside "
                                         "as %2, and every page is sent this time")
                              .arg(record, aside)});
    EXPECT_EQ(second.sent().size(), first.sent().size());
    EXPECT_EQ(TransferTestSupport::readFile(aside), QByteArray(3000, '#'));
    EXPECT_EQ(site.publish().sent(), QStringList()) << "the new record counts from then on";

    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim.db"));
    QFile other(victim);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("somebody's file");
    other.close();
    ASSERT_TRUE(QFile::remove(record));
    ASSERT_TRUE(QFile::link(victim, record));
    const auto third = site.publish();
    EXPECT_EQ(third.status, 0) << third.lines.join(u'\n').toStdString();
    EXPECT_FALSE(QFileInfo(record).isSymLink());
    EXPECT_EQ(TransferTestSupport::readFile(victim), "somebody's file");
    EXPECT_EQ(third.lines.filter(QStringLiteral(" was a link to ")).size(), 1) << third.lines.join(u'\n').toStdString();
}

// A run killed half-way has recorded each file that arrived, so the next one
// sends only the rest, the file that was on its way among them.
TEST(UploadRecord, TheRunAfterAKilledOneSendsOnlyTheRest)
{
    PyFtpd server;
    ASSERT_TRUE(server.start(QStringLiteral("delay=30"))); // a slow line, so the kill comes half-way
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("alice"), QStringLiteral("apass"),
                          QStringLiteral("/www")));
    const QString record = site.data() + QStringLiteral("/Transfer.DAT");
    auto recorded = [&] {
        return Sqlite(record, QStringLiteral("SELECT Name FROM Sent ORDER BY Name"))
            .value_or(QString())
            .split(u'\n', Qt::SkipEmptyParts);
    };

    QProcess killed;
    killed.start(QStringLiteral(WREN_PUBLISH_BIN),
                 {QStringLiteral("--data-dir"), site.data(), QStringLiteral("--archives"), QStringLiteral("2026-10-01"),
                  QStringLiteral("2026-12-31")});
    ASSERT_TRUE(killed.waitForStarted());
    WaitUntil([&] { return recorded().size() >= 3 || killed.state() != QProcess::Running; }, 60000);
    ASSERT_EQ(killed.state(), QProcess::Running) << "the run ended before the kill";
    killed.kill();
    killed.waitForFinished();
    const QStringList arrived = recorded();
    ASSERT_GE(arrived.size(), 3);

    const auto next = site.publish();
    ASSERT_EQ(next.status, 0) << next.lines.join(u'\n').toStdString();
    QStringList unchanged;
    for (const QString &line : next.lines.filter(QStringLiteral("Unchanged on site: ")))
        unchanged << line.section(QStringLiteral(": "), 1);
    unchanged.sort();
    EXPECT_EQ(unchanged, arrived) << "what the killed run recorded is not sent again";
    EXPECT_FALSE(next.sent().isEmpty());
    for (const QString &name : next.sent())
        EXPECT_FALSE(arrived.contains(name)) << name.toStdString();
    EXPECT_EQ(QDir(server.home(QStringLiteral("alice")) + QStringLiteral("/www"))
                  .entryList({QStringLiteral("*.wren-part")}, QDir::Files | QDir::Hidden),
              QStringList())
        << "the half file of the killed run is gone once its page has gone again";
    EXPECT_EQ(site.publish().sent(), QStringList()) << "and then the site is whole";
}

TEST(UploadRecord, ListingsOfBothForms)
{
    const QHash<QString, qint64> sizes =
        FtpListing::parse("type=file;size=12;modify=20261209; index.html\r\n"
                          "type=dir;modify=20261209; log\r\n"
                          "Type=File;Size=7; a name with blanks.html\r\n"
                          "-rw-r--r--    1 ftp      ftp         12345 Dec 09 04:19 arc 2026.html\r\n"
                          "drwxr-xr-x    2 ftp      ftp          4096 Dec 09 04:19 img\r\n");
    EXPECT_EQ(sizes,
              (QHash<QString, qint64>{{"index.html", 12}, {"a name with blanks.html", 7}, {"arc 2026.html", 12345}}));
    // A server that ignores "-a" hides the dot files (a store's leftovers): its listing does not count.
    EXPECT_TRUE(FtpListing::showsItself("drwxr-xr-x    2 ftp      ftp          4096 Dec 09 04:19 .\r\n"
                                        "-rw-r--r--    1 ftp      ftp            12 Dec 09 04:19 .a.wren-part\r\n"));
    EXPECT_FALSE(FtpListing::showsItself("-rw-r--r--    1 ftp      ftp            12 Dec 09 04:19 index.html\r\n"
                                         "drwxr-xr-x    2 ftp      ftp          4096 Dec 09 04:19 img.\r\n"));
}

TEST(SeveralConnections, FtpFtpsAndSftpLogAsOneConnectionDoes)
{
    {
        SCOPED_TRACE("ftp");
        Vsftpd server;
        ASSERT_TRUE(server.start());
        SiteData site;
        ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("anonymous"),
                              QStringLiteral("x"), QStringLiteral("/www")));
        severalConnections(site, [&] { return static_cast<int>(server.commands().count("USER anonymous")); });
    }
    {
        SCOPED_TRACE("ftps");
        Vsftpd server;
        ASSERT_TRUE(server.start(0, Vsftpd::Tls::Explicit));
        SiteData site;
        ASSERT_TRUE(site.make(QStringLiteral("ftpes://127.0.0.1"), server.port(), QStringLiteral("anonymous"),
                              QStringLiteral("x"), QStringLiteral("/www")));
        severalConnections(site, [&] { return static_cast<int>(server.commands().count("USER anonymous")); });
    }
    {
        SCOPED_TRACE("sftp");
        Sshd server;
        ASSERT_TRUE(server.start());
        SiteData site;
        ASSERT_TRUE(site.make(QStringLiteral("sftp://127.0.0.1"), server.port(), QStringLiteral("wrentest"),
                              QStringLiteral("secret"), server.home() + QStringLiteral("/www")));
        severalConnections(site,
                           [&] { return static_cast<int>(server.output().count("Accepted password for wrentest")); });
    }
}

// A server that allows fewer connections from one address gets that many,
// with one line, and every file.
TEST(SeveralConnections, AServerThatTakesFewerGetsFewer)
{
    PyFtpd server;
    ASSERT_TRUE(server.start(QStringLiteral("limit=2,delay=20"))); // slow enough for files to wait
    SiteData site;
    ASSERT_TRUE(site.make(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("alice"), QStringLiteral("apass"),
                          QStringLiteral("/www")));
    auto four = archivesOver(site, 4);
    EXPECT_EQ(four.status, 0) << four.lines.join(u'\n').toStdString();
    const QStringList fewer = four.lines.filter(QStringLiteral("took no further connection"));
    ASSERT_EQ(fewer.size(), 1) << four.lines.join(u'\n').toStdString();
    EXPECT_TRUE(fewer.first().startsWith(QStringLiteral("127.0.0.1 took no further connection (421 ")))
        << fewer.first().toStdString();
    EXPECT_TRUE(fewer.first().endsWith(QStringLiteral("): the files go over 2 connections")));
    EXPECT_EQ(server.commands().count(QStringLiteral("USER alice")), 2);
    four.lines.removeAll(fewer.first());
    const auto one = archivesOver(site, 1, true);
    EXPECT_EQ(four.masked(), one.masked());
}
