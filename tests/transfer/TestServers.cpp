#include "TestServers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMultiHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>
#include <csignal>

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
}

void TestServer::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void TestServer::signalSessions(int signal)
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
    QList<qint64> todo = children.values(m_process.processId());
    while (!todo.isEmpty()) {
        const qint64 pid = todo.takeFirst();
        ::kill(static_cast<pid_t>(pid), signal);
        todo += children.values(pid);
    }
}

QByteArray TestServer::output()
{
    // Nothing reads the pipe without an event loop: drain it here.
    m_output += m_process.readAll();
    while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(200))
        m_output += m_process.readAll();
    return m_output;
}

bool TestServer::launch(const QString &program, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (m_process.state() != QProcess::Running)
            return false;
        if (canConnect(m_port))
            return true;
        QThread::msleep(30);
    }
    return false;
}

bool Vsftpd::start(int maxRate)
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

bool PyFtpd::start()
{
    m_port = FreePort();
    const auto [low, high] = FreePortRange(20);
    return launch(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-u"), kServers + QStringLiteral("/ftp_server.py"), QString::number(m_port),
                   m_dir.path(), QString::number(low), QString::number(high)});
}

QStringList PyFtpd::commands()
{
    QStringList found;
    for (const QByteArray &line : output().split('\n')) {
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
