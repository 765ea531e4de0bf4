// A site over TLS from the window: the question about a certificate nobody
// trusted yet, with its fingerprint, and the Protocol drop-down of the sites
// page. With WREN_SCREENSHOTS set to a directory, both are saved there.

#include "WindowFixture.h"
#include "ui/Prompt.h"
#include "manage/TdlgJournal.h"
#include "transfer/TestServers.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

class SecureSiteWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start(0, Vsftpd::Tls::Explicit, certificate));
        makeDemo(QDate(2026, 12, 8));
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Sites SET FTP='ftpes://127.0.0.1', Port=%1, Login='anonymous', Password='x', "
                              "Active=1")
                   .arg(server.port()));
        db.run(QStringLiteral("UPDATE Upload SET Directory='/www'"));
        db.close();
        ASSERT_TRUE(start());
    }
    static void screenshot(QWidget *widget, const QString &name)
    {
        const QString dir = qEnvironmentVariable("WREN_SCREENSHOTS");
        if (!dir.isEmpty())
            widget->grab().save(dir + u'/' + name);
    }

    Vsftpd::Certificate certificate = Vsftpd::Certificate::SelfSigned;
    Vsftpd server;
};

// An SFTP site reached with a key file that has a passphrase.
class KeyPassphraseWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(server.lockClientKey(QStringLiteral("open sesame")));
        makeDemo(QDate(2026, 12, 8));
        Database db(QStringLiteral("setup"));
        db.open(dataDir.path());
        db.run(QStringLiteral("UPDATE Sites SET FTP='sftp://127.0.0.1', Port=%1, Login='wrentest', Password='', "
                              "Active=1")
                   .arg(server.port()));
        db.run(QStringLiteral("UPDATE Upload SET Directory='%1/www'").arg(server.home()));
        db.close();
        home = qgetenv("HOME");
        agent = qgetenv("SSH_AUTH_SOCK");
        qputenv("HOME", QFile::encodeName(server.clientHome()));
        qunsetenv("SSH_AUTH_SOCK");
        ASSERT_TRUE(start());
    }
    void TearDown() override
    {
        qputenv("HOME", home);
        if (!agent.isEmpty())
            qputenv("SSH_AUTH_SOCK", agent);
    }
    Sshd server;
    QByteArray home, agent;
};

class ExpiredSiteWindowTest : public SecureSiteWindowTest {
protected:
    ExpiredSiteWindowTest() { certificate = Vsftpd::Certificate::Expired; }
};

} // namespace

TEST_F(SecureSiteWindowTest, AnUnknownCertificateIsAskedAboutWithItsFingerprint)
{
    const QString www = server.root() + QStringLiteral("/www");
    Prompt::setNextAnswer(QMessageBox::No);
    action("actPublish")->trigger();
    EXPECT_TRUE(Prompt::lastText().contains(server.fingerprint())) << Prompt::lastText().toStdString();
    EXPECT_FALSE(QFile::exists(www + QStringLiteral("/index.html")));
    EXPECT_TRUE(window->memLog->toPlainText().contains(
        QStringLiteral("Unknown certificate of 127.0.0.1 port %1 (ftpes): %2; not trusted: it is self-signed")
            .arg(server.port())
            .arg(server.fingerprint())));
    EXPECT_TRUE(
        Prompt::lastText().contains(QStringLiteral("a certificate that Wren does not know yet: it is self-signed")));
    EXPECT_FALSE(QFile::exists(dataPath(QStringLiteral("Wren.hosts"))));
    // The status bar counts each file that did not go once, as the log does.
    static const QRegularExpression notReached(QStringLiteral("\\n(\\d+) of \\d+ files did not reach the site\\n"));
    const QRegularExpressionMatch missing = notReached.match(window->memLog->toPlainText());
    ASSERT_TRUE(missing.hasMatch()) << window->memLog->toPlainText().toStdString();
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QStringLiteral("Publishing done with %1 failure(s): see the log").arg(missing.captured(1)));

    Prompt::setNextAnswer(QMessageBox::Yes);
    action("actPublish")->trigger();
    EXPECT_TRUE(QFile::exists(www + QStringLiteral("/index.html"))) << window->memLog->toPlainText().toStdString();
    QFile hosts(dataPath(QStringLiteral("Wren.hosts")));
    ASSERT_TRUE(hosts.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(hosts.readAll()),
              QStringLiteral("127.0.0.1 %1 ftpes %2\n").arg(server.port()).arg(server.fingerprint()));

    QMessageBox question(QMessageBox::Question, QStringLiteral("Unknown Site Key"), Prompt::lastText(),
                         QMessageBox::Yes | QMessageBox::No);
    question.show();
    screenshot(&question, QStringLiteral("trust-question.png"));
}

// An expired certificate is asked about with its fault in words, and Enter
// answers No.
TEST_F(ExpiredSiteWindowTest, AnExpiredCertificateIsAskedAboutWithNoAsTheDefault)
{
    QString text, title;
    bool defaultNo = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        text = box->text();
        title = box->windowTitle();
        defaultNo = box->defaultButton() == box->button(QMessageBox::No);
        screenshot(box, QStringLiteral("trust-question-expired.png"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(20);
    action("actPublish")->trigger();
    EXPECT_TRUE(defaultNo);
    EXPECT_EQ(title, QStringLiteral("Untrusted Certificate"));
    EXPECT_TRUE(text.contains(QStringLiteral("shows a certificate that is not valid: it is self-signed; it expired on "
                                             "2020-02-01")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(server.fingerprint()));
    EXPECT_FALSE(QFile::exists(server.root() + QStringLiteral("/www/index.html")));
    EXPECT_FALSE(QFile::exists(dataPath(QStringLiteral("Wren.hosts"))));
}

// The window asks for the passphrase of a key file, and keeps it until it closes.
TEST_F(KeyPassphraseWindowTest, TheWindowAsksForAKeysPassphraseOnce)
{
    Prompt::setNextAnswer(QMessageBox::Yes); // the host key, not known yet
    Prompt::setNextSecret(QStringLiteral("open sesame"));
    action("actPublish")->trigger();
    const QString key = server.clientHome() + QStringLiteral("/.ssh/id_ed25519");
    EXPECT_EQ(Prompt::lastText(),
              QStringLiteral("The SSH key %1 needs its passphrase to log in to the site.\nWren keeps "
                             "it until it closes, and never writes it down.\n\nPassphrase:")
                  .arg(key));
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/www/index.html")))
        << window->memLog->toPlainText().toStdString();
    EXPECT_EQ(Prompt::pendingAnswers(), 0);

    const int shown = Prompt::shownCount();
    QFile::remove(server.home() + QStringLiteral("/www/index.html"));
    action("actPublish")->trigger();
    EXPECT_EQ(Prompt::shownCount(), shown) << "the passphrase is kept for the session";
    EXPECT_TRUE(QFile::exists(server.home() + QStringLiteral("/www/index.html")));
}

TEST_F(SecureSiteWindowTest, TheProtocolDropDownEditsTheScheme)
{
    TdlgJournal &dlg = part<TdlgJournal>("dlgJournal");
    QTimer::singleShot(0, window.get(), [&] {
        EXPECT_EQ(dlg.cmbProtocol->currentText(), QStringLiteral("FTP with TLS (explicit)"));
        dlg.cmbProtocol->setCurrentIndex(3);
        Q_EMIT dlg.cmbProtocol->activated(3);
        EXPECT_EQ(dlg.DBEdit1->text(), QStringLiteral("sftp://127.0.0.1"));
        // Typing a scheme moves the drop-down.
        dlg.DBEdit1->setText(QStringLiteral("ftps://example.org"));
        Q_EMIT dlg.DBEdit1->textEdited(QStringLiteral("ftps://example.org"));
        EXPECT_EQ(dlg.cmbProtocol->currentText(), QStringLiteral("FTP with TLS (implicit)"));
        screenshot(&dlg, QStringLiteral("journal-ftp-sites.png"));
        dlg.cmbProtocol->setCurrentIndex(0);
        Q_EMIT dlg.cmbProtocol->activated(0);
        EXPECT_EQ(dlg.DBEdit1->text(), QStringLiteral("example.org")) << "plain FTP keeps the field as it was";
        dlg.cmbProtocol->setCurrentIndex(3);
        Q_EMIT dlg.cmbProtocol->activated(3);
        dlg.accept();
    });
    action("actJournals")->trigger();
    EXPECT_EQ(scalar(QStringLiteral("SELECT FTP FROM Sites")).toString(), QStringLiteral("sftp://example.org"));
}

TEST_F(SecureSiteWindowTest, SendAllFilesIgnoresTheRecordForOneRun)
{
    Prompt::setNextAnswer(QMessageBox::Yes);
    action("actPublish")->trigger();
    const int first = window->memLog->toPlainText().count(QStringLiteral("Transferring file "));
    ASSERT_GT(first, 0) << window->memLog->toPlainText().toStdString();

    // Nothing changed: nothing goes, and each upload's archive pages (the
    // pages', the feed's) are summed up in a line.
    window->memLog->clear();
    action("actPublish")->trigger();
    const QString second = window->memLog->toPlainText();
    EXPECT_TRUE(second.contains(QStringLiteral("Unchanged on site: "))) << second.toStdString();
    EXPECT_EQ(second.count(QStringLiteral("Transferring file ")), 0) << second.toStdString();
    qsizetype files = second.count(QStringLiteral("Unchanged on site: ")), sums = 0;
    for (const QRegularExpressionMatch &summed :
         QRegularExpression(QStringLiteral("(\\d+) archive pages? unchanged")).globalMatch(second)) {
        files += summed.captured(1).toInt();
        ++sums;
    }
    EXPECT_EQ(sums, 2) << second.toStdString();

    window->memLog->clear();
    action("actSendAll")->trigger();
    EXPECT_FALSE(window->memLog->toPlainText().contains(QStringLiteral("Unchanged on site: ")));
    EXPECT_EQ(window->memLog->toPlainText().count(QStringLiteral("Transferring file ")), files);

    window->memLog->clear();
    action("actPublish")->trigger();
    EXPECT_TRUE(window->memLog->toPlainText().contains(QStringLiteral("Unchanged on site: ")))
        << "the record counts again";
}
