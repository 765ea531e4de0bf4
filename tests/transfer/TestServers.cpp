#include "TestServers.h"
#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QMultiHash>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

const QString kServers = QStringLiteral(WREN_TEST_SERVERS);

bool canConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool portIsFree(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::pair<int, int> FreePortRange(int count)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int low = 20000 + static_cast<int>(QRandomGenerator::global()->bounded(20000));
        bool free = true;
        for (int p = low; p < low + count && free; ++p)
            free = portIsFree(p);
        if (free)
            return {low, low + count - 1};
    }
    return {0, 0};
}

TestServer::~TestServer()
{
    kill();
    if (m_watchdog.state() == QProcess::Running) {
        m_watchdog.write("done\n");
        m_watchdog.closeWriteChannel();
        m_watchdog.waitForFinished(5000);
    }
}

void TestServer::kill()
{
    if (m_pid <= 0)
        return;
    // Sessions may outlive the listener, and some leave its process group
    // (sshd starts a session of its own for each): end them all, whatever
    // the listener's state.
    const QList<qint64> started = descendants();
    ::kill(-static_cast<pid_t>(m_pid), SIGKILL);
    for (const qint64 pid : started)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    m_process.kill();
    m_process.waitForFinished(5000);
    m_pid = 0;
    if (m_watchdog.state() == QProcess::Running) {
        m_watchdog.write("forget\n");
        m_watchdog.waitForBytesWritten(5000);
    }
}

void TestServer::signalSessions(int signal)
{
    const QList<qint64> sessions = descendants();
    if (signal == SIGSTOP && m_watchdog.state() == QProcess::Running) {
        for (const qint64 pid : sessions)
            m_watchdog.write(QByteArray::number(pid) + '\n');
        m_watchdog.waitForBytesWritten(5000);
    }
    for (const qint64 pid : sessions)
        ::kill(static_cast<pid_t>(pid), signal);
}

QList<qint64> TestServer::descendants() const
{
    // Parent of every process, from /proc, then all descendants of the server.
    QMultiHash<qint64, qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields[1].toLongLong(), pid);
    }
    QList<qint64> found;
    QList<qint64> todo = children.values(m_pid);
    while (!todo.isEmpty()) {
        const qint64 pid = todo.takeFirst();
        found << pid;
        todo += children.values(pid);
    }
    return found;
}

QByteArray TestServer::output()
{
    // Nothing reads the pipe without an event loop: drain it here.
    m_output += m_process.readAll();
    while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(200))
        m_output += m_process.readAll();
    return m_output;
}

bool TestServer::launch(const QString &program, const QStringList &arguments, bool waitForReady)
{
    if (m_watchdog.state() != QProcess::Running) {
        m_watchdog.start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("while read p; do case $p in done) exit 0;; forget) pids=;; "
                                                  "*) pids=\"$pids $p\";; esac; done; "
                                                  "[ -z \"$pids\" ] || kill -KILL $pids 2>/dev/null; exit 0")});
        if (!m_watchdog.waitForStarted(5000))
            return false;
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The server ends with the test process, even one that crashes: its
    // sessions then see their client go and end by themselves. (The signal
    // follows the thread that started the server; tests start them on the
    // main thread.)
    const pid_t testProcess = ::getpid();
    m_process.setChildProcessModifier([testProcess] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != testProcess)
            ::_exit(127); // died before the signal was set
    });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    m_pid = m_process.processId();
    const auto ready = [&] {
        if (waitForReady) {
            m_process.waitForReadyRead(10);
            m_output += m_process.readAll();
            return m_output.contains("ready");
        }
        return canConnect(m_port);
    };
    if (WaitUntil([&] { return m_process.state() != QProcess::Running || ready(); }, 10000) &&
        m_process.state() == QProcess::Running)
        return true;
    m_output += m_process.readAll();
    std::fprintf(stderr, "%s did not start: %s\n", qPrintable(program), m_output.constData());
    return false;
}

namespace {

// Runs a command line tool of the fixture; its output, or nothing when it fails.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

} // namespace

namespace {

// Makes key.pem and cert.pem in dir with openssl, as the certificate kind says.
bool makeCertificate(const QDir &dir, Vsftpd::Certificate kind)
{
    const QString key = dir.filePath(QStringLiteral("key.pem")), cert = dir.filePath(QStringLiteral("cert.pem"));
    const bool otherNames = kind == Vsftpd::Certificate::OtherNames;
    if (!run(QStringLiteral("openssl"),
             {"req", "-newkey", "rsa:2048", "-nodes", "-subj", otherNames ? "/CN=other.example" : "/CN=127.0.0.1",
              "-addext",
              otherNames ? "subjectAltName=DNS:other.example,DNS:www.other.example" : "subjectAltName=IP:127.0.0.1",
              "-keyout", key, "-out", dir.filePath(QStringLiteral("req.csr"))}))
        return false;
    // "openssl ca" is the one that takes dates of the past.
    dir.mkpath(QStringLiteral("cadb"));
    writeText(dir.filePath(QStringLiteral("cadb/index.txt")), "");
    writeText(dir.filePath(QStringLiteral("cadb/serial")), "01\n");
    writeText(dir.filePath(QStringLiteral("ca.cnf")),
              "[ca]\ndefault_ca=d\n[d]\ndir=" + QFile::encodeName(dir.filePath(QStringLiteral("cadb"))) +
                  "\ndatabase=$dir/index.txt\nserial=$dir/serial\nnew_certs_dir=$dir\ndefault_md=sha256\npolicy=p\n"
                  "copy_extensions=copy\nunique_subject=no\n[p]\ncommonName=supplied\n");
    QStringList sign{"ca",      "-batch",
                     "-config", dir.filePath(QStringLiteral("ca.cnf")),
                     "-in",     dir.filePath(QStringLiteral("req.csr")),
                     "-out",    cert};
    switch (kind) {
    case Vsftpd::Certificate::SelfSigned:
    case Vsftpd::Certificate::OtherNames:
        sign << "-selfsign"
             << "-keyfile" << key << "-days"
             << "2";
        break;
    case Vsftpd::Certificate::Expired:
        sign << "-selfsign"
             << "-keyfile" << key << "-startdate"
             << "20200101000000Z"
             << "-enddate"
             << "20200201000000Z";
        break;
    case Vsftpd::Certificate::PrivateAuthority:
        if (!run(QStringLiteral("openssl"),
                 {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Wren Test CA", "-keyout",
                  dir.filePath(QStringLiteral("cakey.pem")), "-out", dir.filePath(QStringLiteral("ca.pem"))}))
            return false;
        sign << "-cert" << dir.filePath(QStringLiteral("ca.pem")) << "-keyfile"
             << dir.filePath(QStringLiteral("cakey.pem")) << "-days"
             << "2";
        break;
    }
    return run(QStringLiteral("openssl"), sign).has_value();
}

} // namespace

bool Vsftpd::start(int maxRate, Tls tls, Certificate certificate)
{
    m_port = FreePort();
    const auto [low, high] = FreePortRange(20);
    // vsftpd refuses a root that the ftp user can write: uploads go below it.
    const QString top = root();
    QDir().mkpath(top + QStringLiteral("/www/log"));
    QDir().mkpath(top + QStringLiteral("/locked"));
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(top).constData(), 0755);
    if (const passwd *ftp = ::getpwnam("ftp")) {
        for (const char *sub : {"/www", "/www/log"})
            ::chown(QFile::encodeName(top + QLatin1String(sub)).constData(), ftp->pw_uid, ftp->pw_gid);
    }
    QDir().mkpath(QStringLiteral("/var/run/vsftpd/empty"));
    const QString config = m_dir.filePath(QStringLiteral("vsftpd.conf"));
    QByteArray text = "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nbackground=NO\n"
                      "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
                      "anon_other_write_enable=YES\nno_anon_password=YES\nseccomp_sandbox=NO\nisolate_network=NO\n"
                      "pasv_enable=YES\npasv_address=127.0.0.1\nport_enable=YES\nconnect_from_port_20=NO\n"
                      "anon_umask=022\nlog_ftp_protocol=YES\nxferlog_enable=YES\nxferlog_std_format=NO\n"
                      "secure_chroot_dir=/var/run/vsftpd/empty\n";
    text += "listen_port=" + QByteArray::number(m_port) + "\n";
    text += "pasv_min_port=" + QByteArray::number(low) + "\npasv_max_port=" + QByteArray::number(high) + "\n";
    text += "anon_root=" + QFile::encodeName(top) + "\n";
    text += "vsftpd_log_file=" + QFile::encodeName(m_dir.filePath(QStringLiteral("vsftpd.log"))) + "\n";
    if (maxRate > 0)
        text += "anon_max_rate=" + QByteArray::number(maxRate) + "\n";
    if (tls != Tls::None) {
        const QString cert = m_dir.filePath(QStringLiteral("cert.pem"));
        const QString key = m_dir.filePath(QStringLiteral("key.pem"));
        if (!makeCertificate(QDir(m_dir.path()), certificate))
            return false;
        const std::optional<QByteArray> print =
            run(QStringLiteral("openssl"), {"x509", "-noout", "-fingerprint", "-sha256", "-in", cert});
        if (!print)
            return false;
        m_fingerprint = QStringLiteral("SHA256:") + QString::fromLatin1(print->trimmed()).section(u'=', 1);
        text += "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                "ssl_ciphers=HIGH\n";
        text += "rsa_cert_file=" + QFile::encodeName(cert) + "\nrsa_private_key_file=" + QFile::encodeName(key) + "\n";
        if (tls == Tls::Implicit)
            text += "implicit_ssl=YES\n";
    }
    writeText(config, text);
    return launch(QStringLiteral("vsftpd"), {config});
}

QStringList Vsftpd::commands()
{
    QFile log(m_dir.filePath(QStringLiteral("vsftpd.log")));
    QStringList found;
    if (!log.open(QIODevice::ReadOnly))
        return found;
    static const QRegularExpression command(QStringLiteral("FTP command: Client \"[^\"]*\", \"(.*)\"$"));
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QRegularExpressionMatch m = command.match(QString::fromLatin1(line));
        if (m.hasMatch())
            found << m.captured(1);
    }
    return found;
}

bool PyFtpd::start(const QString &mode)
{
    // A port found free may be taken by another test's connection before the
    // server binds it: a server that ends at once tries fresh ports.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = FreePort();
        const auto [low, high] = FreePortRange(20);
        QStringList arguments{QStringLiteral("-u"),    kServers + QStringLiteral("/ftp_server.py"),
                              QString::number(m_port), m_dir.path(),
                              QString::number(low),    QString::number(high)};
        if (!mode.isEmpty())
            arguments << mode;
        if (launch(QStringLiteral("/usr/bin/python3"), arguments))
            return true;
        m_process.kill();
        m_process.waitForFinished();
        m_output.clear();
    }
    return false;
}

bool Sshd::replaceHostKey()
{
    const QString key = m_dir.filePath(QStringLiteral("hostkey"));
    QFile::remove(key);
    QFile::remove(key + QStringLiteral(".pub"));
    if (!run(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", key}))
        return false;
    const std::optional<QByteArray> print = run(QStringLiteral("ssh-keygen"), {"-lf", key + QStringLiteral(".pub")});
    if (!print)
        return false;
    m_fingerprint = QString::fromLatin1(*print).section(u' ', 1, 1);
    return true;
}

bool Sshd::lockClientKey(const QString &passphrase)
{
    return run(QStringLiteral("ssh-keygen"),
               {"-q", "-p", "-P", "", "-N", passphrase, "-f", clientHome() + QStringLiteral("/.ssh/id_ed25519")})
        .has_value();
}

bool Sshd::start()
{
    if (m_fingerprint.isEmpty() && !replaceHostKey())
        return false;
    m_port = FreePort();
    QDir().mkpath(home() + QStringLiteral("/www/log"));
    QDir().mkpath(clientHome() + QStringLiteral("/.ssh"));
    const QString clientKey = clientHome() + QStringLiteral("/.ssh/id_ed25519");
    if (!QFile::exists(clientKey) &&
        !run(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", clientKey}))
        return false;
    QFile::remove(m_dir.filePath(QStringLiteral("authorized_keys")));
    QFile::copy(clientKey + QStringLiteral(".pub"), m_dir.filePath(QStringLiteral("authorized_keys")));

    // The test user, in copies of the password files seen only by the server.
    const std::optional<QByteArray> hash = run(QStringLiteral("openssl"), {"passwd", "-6", "secret"});
    if (!hash)
        return false;
    QFile passwdIn(QStringLiteral("/etc/passwd")), shadowIn(QStringLiteral("/etc/shadow"));
    if (!passwdIn.open(QIODevice::ReadOnly) || !shadowIn.open(QIODevice::ReadOnly))
        return false;
    writeText(m_dir.filePath(QStringLiteral("passwd")),
              passwdIn.readAll() + "wrentest:x:0:0::" + QFile::encodeName(home()) + ":/bin/sh\n");
    writeText(m_dir.filePath(QStringLiteral("shadow")),
              shadowIn.readAll() + "wrentest:" + hash->trimmed() + ":19000:0:99999:7:::\n");

    const QString config = m_dir.filePath(QStringLiteral("sshd_config"));
    QByteArray text = "ListenAddress 127.0.0.1\nUsePAM no\nPasswordAuthentication yes\nPermitRootLogin yes\n"
                      "StrictModes no\nSubsystem sftp internal-sftp\n";
    text += "Port " + QByteArray::number(m_port) + "\n";
    text += "HostKey " + QFile::encodeName(m_dir.filePath(QStringLiteral("hostkey"))) + "\n";
    text += "PidFile " + QFile::encodeName(m_dir.filePath(QStringLiteral("sshd.pid"))) + "\n";
    text += "AuthorizedKeysFile " + QFile::encodeName(m_dir.filePath(QStringLiteral("authorized_keys"))) + "\n";
    writeText(config, text);
    const QString script =
        QStringLiteral("mount -t tmpfs tmpfs /run && mkdir -m 755 /run/sshd && "
                       "mount --bind '%1' /etc/passwd && mount --bind '%2' /etc/shadow && "
                       "exec /usr/sbin/sshd -D -e -f '%3'")
            .arg(m_dir.filePath(QStringLiteral("passwd")), m_dir.filePath(QStringLiteral("shadow")), config);
    return launch(QStringLiteral("unshare"),
                  {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                   QStringLiteral("sh"), QStringLiteral("-c"), script});
}

QStringList PyFtpd::commands()
{
    QStringList found;
    QFile log(m_dir.filePath(QStringLiteral("commands.log")));
    if (!log.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const qsizetype at = line.indexOf("] <- ");
        if (at >= 0)
            found << QString::fromLatin1(line.mid(at + 5)).trimmed();
    }
    return found;
}

bool Microsocks::start(const QString &user, const QString &password)
{
    m_port = FreePort();
    QStringList arguments{QStringLiteral("-i"),    QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                          QString::number(m_port), QStringLiteral("-b"),        QStringLiteral("127.0.0.1")};
    if (!user.isEmpty())
        arguments << QStringLiteral("-u") << user << QStringLiteral("-P") << password;
    return launch(QStringLiteral("microsocks"), arguments);
}

bool Dante::start()
{
    m_port = FreePort();
    const QString config = m_dir.filePath(QStringLiteral("danted.conf"));
    QByteArray text = "logoutput: stderr\n";
    text += "internal: 127.0.0.1 port = " + QByteArray::number(m_port) + "\n";
    text += "external: 127.0.0.1\nsocksmethod: none\nclientmethod: none\n"
            "user.privileged: root\nuser.unprivileged: nobody\n"
            "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
            "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }\n"
            "socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 }\n";
    writeText(config, text);
    return launch(QStringLiteral("danted"), {QStringLiteral("-f"), config});
}

bool Socks4aProxy::start(const QString &userId)
{
    m_port = FreePort();
    QStringList arguments{QStringLiteral("-u"), kServers + QStringLiteral("/socks4a_proxy.py"),
                          QString::number(m_port)};
    if (!userId.isEmpty())
        arguments << userId;
    return launch(QStringLiteral("/usr/bin/python3"), arguments);
}

QStringList Socks4aProxy::requests()
{
    QStringList found;
    for (const QByteArray &line : output().split('\n')) {
        if (line.startsWith("CONNECT "))
            found << QString::fromLatin1(line);
    }
    return found;
}

bool SilentServer::start()
{
    m_port = FreePort();
    return launch(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-u"), kServers + QStringLiteral("/silent_server.py"), QString::number(m_port)});
}

bool GreetingServer::start(const QString &greeting)
{
    m_port = FreePort();
    return launch(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-u"), kServers + QStringLiteral("/line_server.py"), QString::number(m_port),
                   QStringLiteral("greet"), greeting});
}

bool FullQueueServer::start()
{
    m_port = FreePort();
    return launch(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-u"), kServers + QStringLiteral("/line_server.py"), QString::number(m_port),
                   QStringLiteral("full")},
                  true);
}

namespace TransferTestSupport {

UploadRow ftpSite(const QString &host, int port, const QString &directory, const QString &login,
                  const QString &password)
{
    UploadRow row;
    row.siteActive = true;
    row.ftp = host;
    row.port = port;
    row.login = login;
    row.password = password;
    row.directory = directory;
    return row;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace TransferTestSupport
