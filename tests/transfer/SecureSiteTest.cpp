// Sites over TLS (vsftpd, explicit and implicit) and SFTP (OpenSSH), started
// on 127.0.0.1: files sent whole, the trust in keys and certificates, logins.

#include "TestServers.h"
#include "TestSupport.h"
#include "transfer/CurlFtpClient.h"
#include "transfer/KnownHosts.h"
#include "transfer/SiteTransfer.h"
#include "transfer/SiteTrust.h"

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
        // What the window's status bar would say: the question while it waits.
        transfer->status = [this](const QString &text) { status = text; };
        transfer->trustNewHost = [this](const HostKeyFailure &failure) {
            statusAsked << status;
            asked << failure.fingerprint;
            questions << failure;
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
    QStringList lines, asked, statusAsked;
    QString status;
    QList<HostKeyFailure> questions;
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
        EXPECT_EQ(statusAsked, QStringList{"Waiting for your answer: trust the key of " + host + "?"});
        EXPECT_EQ(status, QString()) << "the question's word goes once the site is connected";
        statusAsked.clear();
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

// TLS required means required: a server that offers no AUTH TLS never sees
// the login or the password of an ftpes:// site.
TEST_F(SecureSiteTest, AServerWithoutTlsGetsNoLoginFromATlsSite)
{
    PyFtpd plain;
    ASSERT_TRUE(plain.start());
    stage(QStringLiteral("index.html"), "x");
    transfer->SendUpload(site("ftpes://127.0.0.1", plain.port(), "/www", "alice", "apass"), "index.html", true, none);
    const QStringList received = plain.commands();
    EXPECT_TRUE(received.filter(QStringLiteral("AUTH")).size() > 0) << received.join(u' ').toStdString();
    EXPECT_TRUE(received.filter(QStringLiteral("USER")).isEmpty()) << received.join(u' ').toStdString();
    EXPECT_TRUE(received.filter(QStringLiteral("PASS")).isEmpty());
    EXPECT_TRUE(lines.contains(QStringLiteral("Could not connect to site ftpes://127.0.0.1"))) << log().toStdString();
    EXPECT_FALSE(QFile::exists(plain.home(QStringLiteral("alice")) + "/www/index.html"));
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
    EXPECT_EQ(
        lines.filter(QStringLiteral("Error in FTP process - Unknown ")),
        QStringList({QStringLiteral("Error in FTP process - Unknown certificate of 127.0.0.1 port %1 (ftpes): %2; "
                                    "not trusted: it is self-signed")
                         .arg(tls.port())
                         .arg(tls.fingerprint()),
                     QStringLiteral("Error in FTP process - Unknown host key of 127.0.0.1 port %1 (sftp): "
                                    "ED25519 key %2; not trusted")
                         .arg(ssh.port())
                         .arg(ssh.fingerprint())}))
        << log().toStdString();
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(SiteTrust::question(questions[1]).contains(QStringLiteral("an ED25519 key")));
    EXPECT_EQ(lines.filter(QStringLiteral("Could not connect to site ")).size(), 2);
    EXPECT_FALSE(QFile::exists(tls.root() + "/www/index.html"));
    EXPECT_FALSE(QFile::exists(ssh.home() + "/www/index.html"));

    // A stored key that differs is refused even when trust is offered, and
    // the line says which line of which file to remove (a new run: a site
    // refused once is not tried again in the same run).
    known.add(QStringLiteral("127.0.0.1"), tls.port(), QStringLiteral("ftpes"), QStringLiteral("SHA256:AA:BB"));
    known.add(QStringLiteral("127.0.0.1"), ssh.port(), QStringLiteral("sftp"), QStringLiteral("SHA256:old"));
    trust = true;
    lines.clear();
    questions.clear();
    makeTransfer();
    transfer->SendUpload(site("ftpes://127.0.0.1", tls.port(), "/www", "anonymous", "x"), "index.html", true, none);
    transfer->SendUpload(site("sftp://127.0.0.1", ssh.port(), ssh.home() + "/www", "wrentest", "secret"), "index.html",
                         true, none);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(lines.filter(QStringLiteral("The host's certificate has changed")).size(), 1) << log().toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Error in FTP process - The host's key has changed: 127.0.0.1 port %1 "
                                              "(sftp) now shows ED25519 key %2, the known hosts hold SHA256:old; "
                                              "refused. If the site's owner confirms the new fingerprint, remove "
                                              "line 2 of %3 and connect again to trust it")
                                   .arg(ssh.port())
                                   .arg(ssh.fingerprint(), known.path())))
        << log().toStdString();
    EXPECT_FALSE(QFile::exists(ssh.home() + "/www/index.html"));

    // Lines written by hand: tabs, CR LF, a comment, and an old key beside
    // the new one, which trusts the site as OpenSSH's known_hosts would.
    QFile hosts(known.path());
    ASSERT_TRUE(hosts.open(QIODevice::WriteOnly));
    hosts.write(QStringLiteral("# keys of my sites\r\n127.0.0.1 %1 sftp SHA256:old\r\n\r\n127.0.0.1\t%1\tsftp\t%2\r\n")
                    .arg(ssh.port())
                    .arg(ssh.fingerprint())
                    .toUtf8());
    hosts.close();
    makeTransfer(); // a run of its own: the one before gave the site up
    lines.clear();
    transfer->SendUpload(site("sftp://127.0.0.1", ssh.port(), ssh.home() + "/www", "wrentest", "secret"), "index.html",
                         true, none);
    transfer->EndSession(false);
    EXPECT_EQ(read(ssh.home() + "/www/index.html"), "new page") << log().toStdString();
    EXPECT_TRUE(questions.isEmpty());
}

// Each certificate says why it is not trusted; only one whose issuer is
// merely unknown is fit to trust without a second thought, and a private
// authority named the OpenSSL way, or curl's, is trusted with no question.
TEST_F(SecureSiteTest, CertificatesSayWhyTheyAreNotTrusted)
{
    struct Case {
        Vsftpd::Certificate certificate;
        QString reason;
        bool onlyIssuerUnknown;
    };
    const Case cases[] = {
        {Vsftpd::Certificate::SelfSigned, QStringLiteral("it is self-signed"), true},
        {Vsftpd::Certificate::Expired, QStringLiteral("it is self-signed; it expired on 2020-02-01"), false},
        {Vsftpd::Certificate::OtherNames,
         QStringLiteral("it is self-signed; it is issued for other names (other.example, www.other.example)"), false},
        {Vsftpd::Certificate::PrivateAuthority, QStringLiteral("it is issued by an unknown authority (Wren Test CA)"),
         true},
    };
    trust = false;
    stage(QStringLiteral("index.html"), "checked");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        Vsftpd server;
        ASSERT_TRUE(server.start(0, Vsftpd::Tls::Explicit, c.certificate));
        lines.clear();
        questions.clear();
        transfer->SendUpload(site("ftpes://127.0.0.1", server.port(), "/www", "anonymous", "x"), "index.html", true,
                             none);
        ASSERT_EQ(questions.size(), 1) << log().toStdString();
        EXPECT_EQ(questions[0].reasons.join(QStringLiteral("; ")), c.reason);
        EXPECT_EQ(questions[0].onlyIssuerUnknown, c.onlyIssuerUnknown);
        EXPECT_TRUE(lines.value(1).endsWith(QStringLiteral("; not trusted: ") + c.reason)) << log().toStdString();
        EXPECT_TRUE(SiteTrust::question(questions[0]).contains(c.reason));
        EXPECT_FALSE(QFile::exists(server.root() + "/www/index.html"));
        if (c.certificate != Vsftpd::Certificate::PrivateAuthority)
            continue;
        // The authority's bundle, or a folder of authorities, as the
        // OpenSSL convention and curl name them.
        const QString folder = data.filePath(QStringLiteral("authorities"));
        QDir().mkpath(folder);
        QFile::copy(server.caFile(), folder + QStringLiteral("/wren-test-ca.pem"));
        ASSERT_EQ(QProcess::execute(QStringLiteral("openssl"), {QStringLiteral("rehash"), folder}), 0);
        for (const auto &[variable, value] :
             {std::pair("SSL_CERT_FILE", server.caFile()), std::pair("CURL_CA_BUNDLE", server.caFile()),
              std::pair("SSL_CERT_DIR", folder)}) {
            SCOPED_TRACE(variable);
            QFile::remove(server.root() + "/www/index.html");
            qputenv(variable, QFile::encodeName(value));
            makeTransfer();
            lines.clear();
            questions.clear();
            transfer->SendUpload(site("ftpes://127.0.0.1", server.port(), "/www", "anonymous", "x"), "index.html", true,
                                 none);
            transfer->EndSession(false);
            qunsetenv(variable);
            EXPECT_TRUE(questions.isEmpty()) << log().toStdString();
            EXPECT_EQ(read(server.root() + "/www/index.html"), "checked") << log().toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(known.path()));
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
    EXPECT_EQ(lines.filter(QStringLiteral("connection to the server was lost")).size(), 0) << log().toStdString();
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

// A key file locked by a passphrase: named with what to do when nobody can
// give it, asked for (again when wrong) when somebody can, kept for the
// session's life.
TEST_F(SecureSiteTest, AKeyWithAPassphraseIsNamedOrAskedFor)
{
    Sshd server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.lockClientKey(QStringLiteral("open sesame")));
    const QString key = server.clientHome() + QStringLiteral("/.ssh/id_ed25519");
    const QByteArray home = qgetenv("HOME"), agent = qgetenv("SSH_AUTH_SOCK");
    qputenv("HOME", QFile::encodeName(server.clientHome()));
    qunsetenv("SSH_AUTH_SOCK");
    const QString www = server.home() + QStringLiteral("/www");
    stage(QStringLiteral("index.html"), "by a locked key");
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", ""), "index.html", true, none);
    EXPECT_TRUE(lines.contains(QStringLiteral("Error in FTP process - The key %1 needs its passphrase: add it to the "
                                              "SSH agent (ssh-add %1)")
                                   .arg(key)))
        << log().toStdString();

    // A new run, where somebody can answer.
    makeTransfer();
    QList<bool> wrong;
    QStringList answers{QStringLiteral("open sesame?"), QStringLiteral("open sesame")};
    transfer->askPassphrase = [&](const KeyPassphraseFailure &failure) -> std::optional<QString> {
        EXPECT_EQ(failure.keyFile, key);
        wrong << failure.wrong;
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    };
    lines.clear();
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", ""), "index.html", true, none);
    transfer->EndSession(false);
    EXPECT_EQ(wrong, QList<bool>({false, true}));
    EXPECT_EQ(read(www + "/index.html"), "by a locked key") << log().toStdString();
    // The session remembers it: the next login asks nothing.
    lines.clear();
    stage(QStringLiteral("index.html"), "again");
    transfer->SendUpload(site("sftp://127.0.0.1", server.port(), www, "wrentest", ""), "index.html", true, none);
    transfer->EndSession(false);
    qputenv("HOME", home);
    if (!agent.isEmpty())
        qputenv("SSH_AUTH_SOCK", agent);
    EXPECT_EQ(wrong.size(), 2);
    EXPECT_EQ(read(www + "/index.html"), "again") << log().toStdString();
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
    EXPECT_TRUE(refusedLog.contains(server.fingerprint() +
                                    QStringLiteral("; not trusted (wren-publish --accept-new-host trusts it)")))
        << refusedLog.toStdString();
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

    // An expired certificate is refused whatever the option says, with its reason.
    Vsftpd expired;
    ASSERT_TRUE(expired.start(0, Vsftpd::Tls::Explicit, Vsftpd::Certificate::Expired));
    ASSERT_EQ(QProcess::execute(QStringLiteral("sqlite3"),
                                {data + QStringLiteral("/Sites.DAT"),
                                 QStringLiteral("UPDATE Sites SET FTP='ftpes://127.0.0.1', Port=%1, Login='anonymous'")
                                     .arg(expired.port())}),
              0);
    ASSERT_EQ(QProcess::execute(QStringLiteral("sqlite3"), {data + QStringLiteral("/Upload.DAT"),
                                                            QStringLiteral("UPDATE Upload SET Directory='/www'")}),
              0);
    const auto [stale, staleLog] = publish({QStringLiteral("--accept-new-host")});
    EXPECT_EQ(stale, 1);
    EXPECT_TRUE(staleLog.contains(QStringLiteral("; not trusted: it is self-signed; it expired on 2020-02-01 "
                                                 "(--accept-new-host trusts only a certificate whose one fault is an "
                                                 "unknown issuer)")))
        << staleLog.toStdString();
    EXPECT_FALSE(QFile::exists(expired.root() + "/www/index.html"));
    EXPECT_FALSE(TransferTestSupport::readFile(data + QStringLiteral("/Wren.hosts")).contains("ftpes"));
}
