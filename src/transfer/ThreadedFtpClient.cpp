#include "ThreadedFtpClient.h"

#include "transfer/CurlFtpClient.h"

#include <QEventLoop>
#include <QObject>

#include <exception>

ThreadedFtpClient::ThreadedFtpClient()
{
    m_thread.setObjectName(QStringLiteral("site session"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_client = new CurlFtpClient; }, Qt::BlockingQueuedConnection);
}

ThreadedFtpClient::~ThreadedFtpClient()
{
    // Whatever is on its way ends now; the handles go on the thread that made them.
    abort();
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            delete m_client;
            m_client = nullptr;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void ThreadedFtpClient::call(const std::function<void(CurlFtpClient &)> &work)
{
    std::exception_ptr failure;
    bool done = false;
    QEventLoop loop;
    QMetaObject::invokeMethod(
        m_worker,
        [&] {
            try {
                work(*m_client);
            } catch (...) {
                failure = std::current_exception();
            }
            const bool connected = m_client->isConnected();
            const QString host = m_client->host(), login = m_client->login(), note = m_client->connectNote();
            const int port = m_client->port();
            // The answer goes back through the caller's event queue, which
            // also makes what was written here visible there.
            QMetaObject::invokeMethod(
                &loop,
                [&, connected, host, login, note, port] {
                    m_connected = connected;
                    m_host = host;
                    m_login = login;
                    m_note = note;
                    m_port = port;
                    done = true;
                    loop.quit();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    while (!done)
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
}

void ThreadedFtpClient::configure(const std::function<void(CurlFtpClient &)> &work)
{
    call(work);
}

void ThreadedFtpClient::abort()
{
    // The flag is atomic and the session looks at it every few dozen milliseconds.
    m_client->abort();
}

void ThreadedFtpClient::clearAbort()
{
    m_client->clearAbort();
}

void ThreadedFtpClient::connectTo(const QString &host, const QString &login, int port, const QString &password)
{
    call([&](CurlFtpClient &client) { client.connectTo(host, login, port, password); });
}

void ThreadedFtpClient::disconnect()
{
    call([](CurlFtpClient &client) { client.disconnect(); });
}

QString ThreadedFtpClient::printWorkingDirectory()
{
    QString directory;
    call([&](CurlFtpClient &client) { directory = client.printWorkingDirectory(); });
    return directory;
}

void ThreadedFtpClient::changeUp()
{
    call([](CurlFtpClient &client) { client.changeUp(); });
}

void ThreadedFtpClient::changeDirectory(const QString &directory)
{
    call([&](CurlFtpClient &client) { client.changeDirectory(directory); });
}

void ThreadedFtpClient::store(const QString &localPath, const QString &remoteName)
{
    call([&](CurlFtpClient &client) { client.store(localPath, remoteName); });
}

std::optional<QHash<QString, qint64>> ThreadedFtpClient::listSizes()
{
    std::optional<QHash<QString, qint64>> sizes;
    call([&](CurlFtpClient &client) { sizes = client.listSizes(); });
    return sizes;
}

void ThreadedFtpClient::setKeyPassphrase(const QString &keyFile, const QString &passphrase)
{
    call([&](CurlFtpClient &client) { client.setKeyPassphrase(keyFile, passphrase); });
}
