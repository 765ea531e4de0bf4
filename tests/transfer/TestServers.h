#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Servers the transfer tests start on 127.0.0.1, each on free ports of its own
// and with a temporary directory, stopped by PID when the object goes.
int FreePort();
// A range of ports that are free now, for passive data connections.
std::pair<int, int> FreePortRange(int count);

class TestServer {
public:
    virtual ~TestServer();
    int port() const { return m_port; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    // Kills the server at once, as a crash would.
    void kill();
    // Sends a signal to every process the server started (its sessions).
    void signalSessions(int signal);
    // Everything the server wrote so far.
    QByteArray output();

protected:
    // Starts the program and waits until its port accepts connections.
    bool launch(const QString &program, const QStringList &arguments);

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    QByteArray m_output;
};

// vsftpd with anonymous uploads under "/www" (and "/www/log"); "/locked" is
// not writable. Its protocol log tells the commands it received.
class Vsftpd : public TestServer {
public:
    // maxRate limits the bytes per second of each transfer (0: no limit).
    bool start(int maxRate = 0);
    QString root() const { return m_dir.filePath(QStringLiteral("root")); }
    QStringList commands();
};

// pyftpdlib with two accounts: alice/apass (home <root>/alice) and bob/bpass.
class PyFtpd : public TestServer {
public:
    bool start();
    QString home(const QString &user) const { return m_dir.filePath(user); }
    QStringList commands();
};

// microsocks: SOCKS 5, with a user and password when given.
class Microsocks : public TestServer {
public:
    bool start(const QString &user = QString(), const QString &password = QString());
};

// dante: SOCKS 4 and 5 without authentication.
class Dante : public TestServer {
public:
    bool start();
};

// Our own SOCKS 4/4A proxy; with a user ID it refuses all others.
class Socks4aProxy : public TestServer {
public:
    bool start(const QString &userId = QString());
    QStringList requests();
};

// A server that accepts connections and never answers.
class SilentServer : public TestServer {
public:
    bool start();
};
