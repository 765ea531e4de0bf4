#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Where the socket lives: the user's runtime directory, else /tmp. Not the
// temporary directory of the process, which TMPDIR can move for one start
// and not for another.
QString socketDirectory()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QStringLiteral("/tmp");
}

// Whether the program at the other end of the socket runs as this user; a
// socket of somebody else's must not make this start end.
bool peerIsThisUser(const QLocalSocket &socket)
{
#ifdef SO_PEERCRED
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return false;
    return credentials.uid == ::geteuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

} // namespace

SingleInstance::SingleInstance(QString name, QObject *parent) : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::nameFor(const QString &executablePath, const QString &dataDir)
{
    const QByteArray key =
        (QFileInfo(executablePath).absoluteFilePath() + u'\n' + QDir(dataDir).absolutePath()).toUtf8();
    return QDir(socketDirectory())
        .filePath(QFileInfo(executablePath).fileName() + u'-' + QString::number(::geteuid()) + u'-' +
                  QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)));
}

bool SingleInstance::handOver(const QStringList &arguments, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    QElapsedTimer timer;
    timer.start();
    if (!socket.waitForConnected(timeoutMs) || !peerIsThisUser(socket))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    const qsizetype count = std::min<qsizetype>(arguments.size(), kMaxArguments);
    out << quint32(count);
    for (qsizetype i = 0; i < count; ++i)
        out << arguments[i].left(kMaxArgumentLength);
    socket.write(message);
    while (socket.bytesToWrite() > 0 && timer.elapsed() < timeoutMs)
        socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, timeoutMs - timer.elapsed())));
    // The answer is one byte, sent once the running window came to the front.
    while (socket.bytesAvailable() < 1 && timer.elapsed() < timeoutMs) {
        if (!socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, timeoutMs - timer.elapsed()))))
            break;
    }
    return socket.bytesAvailable() >= 1;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by an instance that died or hangs would block the name.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readConnection);
    return true;
}

void SingleInstance::readConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            quint32 count = 0;
            in >> count;
            QStringList arguments;
            for (quint32 i = 0; i < count && i < kMaxArguments; ++i) {
                QString argument;
                in >> argument;
                arguments << argument.left(kMaxArgumentLength);
            }
            if (!in.commitTransaction())
                return; // wait for the rest
            Q_EMIT argumentsReceived(arguments);
            socket->write("A");
            socket->flush();
        });
    }
}
