// Sites over TLS (vsftpd, explicit and implicit) and SFTP (OpenSSH), started
// on 127.0.0.1: files sent whole, the trust in keys and certificates, logins.

#include "TestServers.h"
#include "TestSupport.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/KnownHosts.h"
#include "transfer/SiteTransfer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

struct Kind {
    const char *scheme;
    Vsftpd::Tls tls; // for the FTP kinds
};

class SecureSiteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ftp.setTimeouts(10, 10);
        ftp.setKnownHosts(&known);
        makeTransfer();
    }
    void makeTransfer()
    {
        transfer = std::make_unique<SiteTransfer>(
            staging.path(), [this](const QString &line) { lines << line; }, &ftp);
        transfer->setKnownHosts(&known);
        transfer->trustNewHost = [this](const HostKeyFailure &failure) {
            asked << failure.fingerprint;
            return trust;
        };
    }
    QString stage(const QString &name, const QByteArray &bytes, const QString &dir = QString())
    {
        QFile file((dir.isEmpty() ? staging.path() : dir) + u'/' + name);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    static UploadRow site(const QString &host, int port, const QString &directory, const QString &login,
                          const QString &password)
    {
        return TransferTestSupport::ftpSite(host, port, directory, login, password);
    }
    static QByteArray read(const QString &path) { return TransferTestSupport::readFile(path); }
    QString log() const { return lines.join(u'\n'); }

    QTemporaryDir staging, data;
    KnownHosts known{data.filePath(QStringLiteral("Wren.hosts"))};
    QStringList lines, asked;
    bool trust = true;
    CurlFtpClient ftp;
    std::unique_ptr<SiteTransfer> transfer;
    PendingLists none;
};

} // namespace

TEST_F(SecureSiteTest, TlsSitesSendWholeFilesAndTrustTheCertificateOnce)
{
    for (const Kind kind : {Kind{"ftpes", Vsftpd::Tls::Explicit}, Kind{"ftps", Vsftpd::Tls::Implicit}}) {
        SCOPED_TRACE(kind.scheme);
        Vsftpd server;
        ASSERT_TRUE(server.start(0, kind.tls));
        lines.clear();
        asked.clear();
        const QString host = QLatin1String(kind.scheme) + QStringLiteral("://127.0.0.1");
        const QByteArray page(70000, 'p');
        stage(QStringLiteral("index.html"), page);
        QTemporaryDir files;
        PendingLists pending;
        pending.files << stage(QStringLiteral("notes.txt"), "attached", files.path());
        transfer->SendUpload(site(host, server.port(), "/www", "anonymous", "x"), "index.html", true, pending);
        transfer->EndSession(true);
        EXPECT_EQ(transfer->failures(), 0) << log().toStdString();
        EXPECT_EQ(asked, QStringList{server.fingerprint()}) << "a self-signed certificate is asked about";
        EXPECT_TRUE(lines.contains(QStringLiteral("Trusting the new host key of 127.0.0.1 port %1 (%2): %3")
                                       .arg(server.port())
                                       .arg(QLatin1String(kind.scheme), server.fingerprint())))
            << log().toStdString();
        EXPECT_EQ(read(server.root() + "/www/index.html"), page);
        EXPECT_EQ(read(server.root() + "/www/notes.txt"), "attached");
        EXPECT_FALSE(QFile::exists(server.root() + "/www/.index.html.wren-part"));
        // The server refuses plain logins, so these went encrypted.
        EXPECT_TRUE(server.commands().contains(QStringLiteral("STOR .index.html.wren-part")));

        // The stored certificate is trusted without a question from now on.
        asked.clear();
        transfer->SendUpload(site(host, server.port(), "/www", "anonymous", "x"), "index.html", false, none);
        transfer->EndSession(false);
        EXPECT_TRUE(asked.isEmpty());
        EXPECT_EQ(transfer->failures(), 0) << log().toStdString();
    }
    EXPECT_EQ(QString::fromUtf8(read(known.path())).count(u'\n'), 2);
}

TEST_F(SecureSiteTest, PlainFtpIsRefusedWhereTheServerWantsTls)
{
    Vsftpd server;
    ASSERT_TRUE(server.start(0, Vsftpd::Tls::Explicit));
    stage(QStringLiteral("index.html"), "x");
    transfer->SendUpload(site("127.0.0.1", server.port(), "/www", "anonymous", "x"), "index.html", true, none);
    EXPECT_EQ(lines.value(1).left(27), QStringLiteral("Error in FTP process - 530 ")) << log().toStdString();
    EXPECT_FALSE(QFile::exists(server.root() + "/www/index.html"));
}

TEST_F(SecureSiteTest, AnUnknownOrChangedKeyIsRefused)
{
    Vsftpd tls;
    ASSERT_TRUE(tls.start(0, Vsftpd::Tls::Explicit));
    Sshd ssh;
    ASSERT_TRUE(ssh.start());
    stage(QStringLiteral("index.html"), "new page");
    trust = false;
    transfer->SendUpload(site("ftpes://127.0.0.1", tls.port(), "/www", "anonymous", "x"), "index.html", true, none);
    transfer->SendUpload(site("sftp://127.0.0.1", ssh.port(), ssh.home() + "/www", "wrentest", "secret"), "index.html",
                         true, none);
    EXPECT_EQ(lines.filter(QStringLiteral("Error in FTP process - Unknown host key of ")),
              QStringList({QStringLiteral("Error in FTP process - Unknown host key of 127.0.0.1 port %1 (ftpes): %2; "
                                          "not trusted")
                               .arg(tls.port())
                               .arg(tls.fingerprint()),
                           QStringLiteral("Error in FTP process - Unknown host key of 127.0.0.1 port %1 (sftp): %2; "
                                          "not trusted")
                               .arg(ssh.port())
                               .arg(ssh.fingerprint())}))
        << log().toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("Could not connect to site ")).size(), 2);
    EXPECT_FALSE(QFile::exists(tls.root() + "/www/index.html"));
    EXPECT_FALSE(QFile::exists(ssh.home() + "/www/index.html"));

    // A stored key that differs is refused even when trust is offered.
    known.add(QStringLiteral("127.0.0.1"), tls.port(), QStringLiteral("ftpes"), QStringLiteral("SHA256:AA:BB"));
    known.add(QStringLiteral("127.0.0.1"), ssh.port(), QStringLiteral("sftp"), QStringLiteral("SHA256:old"));
    trust = true;
    lines.clear();
    asked.clear();
    transfer->SendUpload(site("ftpes://127.0.0.1", tls.port(), "/www", "anonymous", "x"), "index.html", true, none);
    transfer->SendUpload(site("sftp://127.0.0.1", ssh.port(), ssh.home() + "/www", "wrentest", "secret"), "index.html",
                         true, none);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(lines.filter(QStringLiteral("The host's key has changed")).size(), 2) << log().toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Error in FTP process - The host's key has changed: 127.0.0.1 port %1 "
                                              "(sftp) now shows %2, the known hosts hold SHA256:old; refused")
                                   .arg(ssh.port())
                                   .arg(ssh.fingerprint())))
        << log().toStdString();
    EXPECT_FALSE(QFile::exists(ssh.home() + "/www/index.html"));
}

TEST_F(SecureSiteTest, SftpLogsInByPasswordOrKeyAndKeepsItsOwnDirectory)
{
    Sshd server;
    ASSERT_TRUE(server.start());
    stage(QStringLiteral("index.html"), "over ssh");
    const QString www = server.home() + QStringLiteral("/www");
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www + "/log", "wrentest", "secret"), "index.html",
                         true, none);
    stage(QStringLiteral("archive.html"), "the index");
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", "secret"), "archive.html", true,
                         none);
    EXPECT_EQ(transfer->failures(), 0) << log().toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("Connecting to Site ")).size(), 1) << "the session is reused";
    EXPECT_TRUE(lines.contains(QStringLiteral("Current directory ") + www + QStringLiteral("/log")));
    EXPECT_EQ(read(www + "/log/index.html"), "over ssh");
    EXPECT_EQ(read(www + "/archive.html"), "the index");
    EXPECT_FALSE(QFile::exists(www + "/.archive.html.wren-part"));

    // A directory that is not there fails the upload.
    lines.clear();
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www + "/none", "wrentest", "secret"), "archive.html",
                         true, none);
    EXPECT_EQ(lines.last(), QStringLiteral("Error changing directory!")) << log().toStdString();
    transfer->EndSession(false);

    // A wrong password.
    lines.clear();
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", "wrong"), "archive.html", true, none);
    ASSERT_EQ(lines.size(), 3) << log().toStdString();
    std::printf("wrong SFTP password: %s\n", qPrintable(lines[1]));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Error in FTP process - "))) << lines[1].toStdString();
    EXPECT_FALSE(lines[1].contains(QStringLiteral("wrong")));
    EXPECT_EQ(lines[2], QStringLiteral("Could not connect to site sftp://127.0.0.1"));

    // No password: the key in ~/.ssh.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(server.clientHome()));
    lines.clear();
    stage(QStringLiteral("archive.html"), "by key");
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", ""), "archive.html", true, none);
    qputenv("HOME", home);
    transfer->EndSession(false);
    EXPECT_TRUE(lines.contains(QStringLiteral("Connected"))) << log().toStdString();
    EXPECT_EQ(read(www + "/archive.html"), "by key");
}

TEST_F(SecureSiteTest, EveryKindPassesTheSocks5Proxy)
{
    Microsocks proxy;
    ASSERT_TRUE(proxy.start(QStringLiteral("proxyuser"), QStringLiteral("proxypass")));
    FirewallSettings firewall;
    firewall.passive = true;
    firewall.socks = FirewallSettings::Socks::Version5;
    firewall.host = QStringLiteral("127.0.0.1");
    firewall.port = proxy.port();
    firewall.authentication = true;
    firewall.user = QStringLiteral("proxyuser");
    firewall.password = QStringLiteral("proxypass");
    ftp.setFirewall(firewall);

    Vsftpd explicitTls, implicitTls;
    ASSERT_TRUE(explicitTls.start(0, Vsftpd::Tls::Explicit));
    ASSERT_TRUE(implicitTls.start(0, Vsftpd::Tls::Implicit));
    Sshd ssh;
    ASSERT_TRUE(ssh.start());
    stage(QStringLiteral("index.html"), "by proxy");
    transfer->SendUpload(site("ftpes://127.0.0.1", explicitTls.port(), "/www", "anonymous", "x"), "index.html", true,
                         none);
    transfer->SendUpload(site("ftps://127.0.0.1", implicitTls.port(), "/www", "anonymous", "x"), "index.html", true,
                         none);
    transfer->SendUpload(site("sftp://127.0.0.1", ssh.port(), ssh.home() + "/www", "wrentest", "secret"), "index.html",
                         true, none);
    transfer->EndSession(true);
    EXPECT_EQ(transfer->failures(), 0) << log().toStdString();
    EXPECT_EQ(read(explicitTls.root() + "/www/index.html"), "by proxy");
    EXPECT_EQ(read(implicitTls.root() + "/www/index.html"), "by proxy");
    EXPECT_EQ(read(ssh.home() + "/www/index.html"), "by proxy");
}

// wren-publish refuses a host it does not know, naming the fingerprint, and
// trusts it with --accept-new-host.
TEST(SecureSitePublish, AcceptNewHostStoresTheKey)
{
    Sshd server;
    ASSERT_TRUE(server.start());
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(WREN_DEMO_BIN), {data}), 0);
    ASSERT_EQ(QProcess::execute(QStringLiteral("sqlite3"),
                                {data + QStringLiteral("/Sites.DAT"),
                                 QStringLiteral("UPDATE Sites SET FTP='sftp://127.0.0.1', Port=%1, Login='wrentest', "
                                                "Password='secret', Active=1")
                                     .arg(server.port())}),
              0);
    ASSERT_EQ(QProcess::execute(QStringLiteral("sqlite3"),
                                {data + QStringLiteral("/Upload.DAT"),
                                 QStringLiteral("UPDATE Upload SET Directory='%1/www'").arg(server.home())}),
              0);
    auto publish = [&data](const QStringList &extra) {
        QProcess run;
        run.start(QStringLiteral(WREN_PUBLISH_BIN), QStringList{QStringLiteral("--data-dir"), data} + extra);
        run.waitForFinished(60000);
        return std::make_pair(run.exitCode(), QString::fromUtf8(run.readAllStandardOutput()));
    };
    const auto [refused, refusedLog] = publish({});
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(refusedLog.contains(server.fingerprint())) << refusedLog.toStdString();
    EXPECT_FALSE(QFile::exists(server.home() + "/www/index.html"));
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/Wren.hosts")));

    const auto [accepted, acceptedLog] = publish({QStringLiteral("--accept-new-host")});
    EXPECT_EQ(accepted, 0) << acceptedLog.toStdString();
    EXPECT_TRUE(QFile::exists(server.home() + "/www/index.html"));
    QFile hosts(data + QStringLiteral("/Wren.hosts"));
    ASSERT_TRUE(hosts.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(hosts.readAll()),
              QStringLiteral("127.0.0.1 %1 sftp %2\n").arg(server.port()).arg(server.fingerprint()));

    // Known now: the next run needs no option.
    const auto [again, againLog] = publish({});
    EXPECT_EQ(again, 0) << againLog.toStdString();
}
