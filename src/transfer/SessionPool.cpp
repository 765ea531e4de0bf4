#include "SessionPool.h"

#include "transfer/CurlFtpClient.h"

#include <QEventLoop>
#include <QObject>

#include <exception>

struct SessionPool::Lane {
    int number = 1;
    std::thread thread;
    CurlFtpClient *session = nullptr; // made and deleted on the thread; set under the lock
    bool up = false;                  // a further connection that is logged in
    bool busy = false;
    bool quit = false;
    bool ended = false; // the thread has left its loop
    size_t configsApplied = 0;
};

struct SessionPool::Call {
    std::function<void(CurlFtpClient &)> work;
    bool done = false;
    std::exception_ptr failure;
    // The session as the call left it.
    bool connected = false;
    QString host, login, note, directory;
    int port = 21;
};

SessionPool::SessionPool(SetUp setUp) : m_setUp(std::move(setUp)), m_waker(std::make_unique<QObject>())
{
    auto first = std::make_unique<Lane>();
    Lane *lane = first.get();
    m_lanes.push_back(std::move(first));
    lane->thread = std::thread([this, lane] { run(*lane); });
}

SessionPool::~SessionPool()
{
    abort();
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_quit = true;
        for (const auto &lane : m_lanes)
            lane->quit = true;
        m_work.notify_all();
    }
    for (const auto &lane : m_lanes)
        if (lane->thread.joinable())
            lane->thread.join();
}

void SessionPool::setConnections(int connections)
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_connections = std::max(1, connections);
    m_limit = 0;
}

int SessionPool::connections() const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_connections;
}

void SessionPool::configure(const std::function<void(CurlFtpClient &)> &work)
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_configs.push_back(work);
    m_work.notify_all();
}

void SessionPool::changed()
{
    ++m_changes;
    if (m_waiting && !m_wakeAsked) {
        m_wakeAsked = true;
        QMetaObject::invokeMethod(
            m_waker.get(),
            [this] {
                const std::lock_guard<std::mutex> hold(m_mutex);
                m_wakeAsked = false;
                if (m_waiting)
                    m_waiting->quit();
            },
            Qt::QueuedConnection);
    }
}

quint64 SessionPool::changes() const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_changes;
}

void SessionPool::waitForChange(quint64 since)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_changes != since)
        return;
    QEventLoop loop;
    QEventLoop *outer = m_waiting;
    m_waiting = &loop;
    m_wakeAsked = false;
    lock.unlock();
    loop.exec();
    lock.lock();
    m_waiting = outer;
}

QStringList SessionPool::takeNotes()
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

quint64 SessionPool::submit(Store store)
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    const quint64 id = m_nextId++;
    if (m_aborted) {
        m_outcomes[id] = {State::Dropped, {}};
        return id;
    }
    m_outcomes[id] = {State::Waiting, {}};
    ++m_inHand;
    m_bytesInHand += store.bytes.size();
    m_queue.push_back({id, nullptr, std::move(store)});
    growIfWanted();
    m_work.notify_all();
    return id;
}

SessionPool::Outcome SessionPool::outcome(quint64 id) const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    const auto found = m_outcomes.find(id);
    return found == m_outcomes.end() ? Outcome{State::Dropped, {}} : found->second;
}

void SessionPool::forget(quint64 id)
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_outcomes.erase(id);
}

int SessionPool::storesInHand() const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_inHand;
}

qint64 SessionPool::bytesInHand() const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_bytesInHand;
}

void SessionPool::abort()
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_aborted = true;
    for (const auto &lane : m_lanes)
        if (lane->session)
            lane->session->abort();
    // Stores not begun are dropped; calls still run, and fail at once.
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->call) {
            ++it;
            continue;
        }
        m_outcomes[it->id] = {State::Dropped, {}};
        --m_inHand;
        m_bytesInHand -= it->store.bytes.size();
        it = m_queue.erase(it);
    }
    changed();
    m_work.notify_all();
}

void SessionPool::clearAbort()
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_aborted = false;
    for (const auto &lane : m_lanes)
        if (lane->session)
            lane->session->clearAbort();
}

void SessionPool::growIfWanted()
{
    if (m_growing || m_aborted || m_quit || !m_firstUp)
        return;
    const int allowed = m_limit > 0 ? std::min(m_connections, m_limit) : m_connections;
    int live = 0, idle = 0;
    for (const auto &lane : m_lanes) {
        if (lane->quit)
            continue;
        ++live;
        if (!lane->busy && (lane->number == 1 || lane->up))
            ++idle;
    }
    if (live >= allowed)
        return;
    int waiting = 0;
    for (const Item &item : m_queue)
        if (!item.call)
            ++waiting;
    if (waiting <= idle)
        return;
    m_growing = true;
    auto further = std::make_unique<Lane>();
    Lane *lane = further.get();
    lane->number = static_cast<int>(m_lanes.size()) + 1;
    m_lanes.push_back(std::move(further));
    lane->thread = std::thread([this, lane] { run(*lane); });
}

std::optional<SessionPool::Item> SessionPool::takeFor(Lane &lane)
{
    if (lane.number > 1 && !lane.up)
        return std::nullopt;
    bool furtherUp = false;
    for (const auto &other : m_lanes)
        furtherUp = furtherUp || (other->number > 1 && other->up && !other->quit);
    const bool firstUp = lane.number == 1 && lane.session && lane.session->isConnected();
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->call && lane.number > 1)
            continue;
        // The first connection takes everything in turn; while it is down and
        // others are up, they take the stores.
        if (!it->call && lane.number == 1 && !firstUp && furtherUp)
            continue;
        Item item = std::move(*it);
        m_queue.erase(it);
        if (!item.call)
            m_outcomes[item.id].state = State::Going;
        lane.busy = true;
        return item;
    }
    return std::nullopt;
}

void SessionPool::applyConfigs(Lane &lane, CurlFtpClient &session)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (lane.configsApplied < m_configs.size()) {
        const std::function<void(CurlFtpClient &)> work = m_configs[lane.configsApplied++];
        lock.unlock();
        work(session);
        lock.lock();
    }
}

bool SessionPool::logInFurther(Lane &lane, CurlFtpClient &session)
{
    QString host, login, password;
    int port = 0;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        host = m_credentialsHost;
        login = m_credentialsLogin;
        password = m_credentialsPassword;
        port = m_credentialsPort;
    }
    QString reason;
    try {
        session.connectTo(host, login, port, password);
        return true;
    } catch (const FtpFailure &failure) {
        reason = failure.message();
    }
    const std::lock_guard<std::mutex> hold(m_mutex);
    if (m_aborted)
        return false;
    int took = 0;
    for (const auto &other : m_lanes)
        if (!other->quit && other.get() != &lane && (other->number == 1 || other->up))
            ++took;
    m_limit = std::max(1, took);
    m_notes << QStringLiteral("%1 took no further connection (%2): the files go over %3 %4")
                   .arg(host, reason)
                   .arg(m_limit)
                   .arg(m_limit == 1 ? QStringLiteral("connection") : QStringLiteral("connections"));
    return false;
}

void SessionPool::run(Lane &lane)
{
    CurlFtpClient session;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        lane.session = &session;
        if (m_aborted)
            session.abort();
    }
    if (m_setUp)
        m_setUp(session, lane.number);
    applyConfigs(lane, session);
    if (lane.number > 1) {
        const bool up = logInFurther(lane, session);
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_growing = false;
        lane.up = up;
        lane.quit = lane.quit || !up;
        if (up)
            growIfWanted();
        changed();
        m_work.notify_all();
    }
    while (true) {
        std::optional<Item> item;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_work.wait(lock, [&] {
                if (lane.quit || m_quit || lane.configsApplied < m_configs.size())
                    return true;
                item = takeFor(lane);
                return item.has_value();
            });
            if (!item && (lane.quit || m_quit))
                break;
        }
        if (!item) {
            applyConfigs(lane, session);
            continue;
        }
        if (item->call) {
            Call &call = *item->call;
            try {
                call.work(session);
            } catch (...) {
                call.failure = std::current_exception();
            }
            call.connected = session.isConnected();
            call.host = session.host();
            call.login = session.login();
            call.port = session.port();
            call.note = session.connectNote();
            call.directory = session.knownDirectory();
            const std::lock_guard<std::mutex> hold(m_mutex);
            call.done = true;
            lane.busy = false;
            m_firstUp = call.connected;
            growIfWanted();
            changed();
            m_work.notify_all();
            continue;
        }
        runStore(session, *item);
        const std::lock_guard<std::mutex> hold(m_mutex);
        lane.busy = false;
        if (lane.number == 1) {
            m_firstUp = session.isConnected();
        } else if (!session.isConnected()) {
            // A further connection that broke is not made again in its place.
            lane.up = false;
            lane.quit = true;
        }
        growIfWanted();
        m_work.notify_all();
        if (lane.quit)
            break;
    }
    const std::lock_guard<std::mutex> hold(m_mutex);
    lane.session = nullptr;
    lane.ended = true;
    m_work.notify_all();
}

void SessionPool::runStore(CurlFtpClient &session, const Item &item)
{
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        changed(); // the store has begun
    }
    const Store &store = item.store;
    QString error;
    try {
        if (!session.isConnected())
            throw FtpFailure(QStringLiteral("Not connected."));
        // A further connection enters the directory on its own, without the
        // steps up that the first one logs.
        QString here = session.knownDirectory();
        if (here.isEmpty() && !store.directory.isEmpty())
            here = session.printWorkingDirectory();
        if (!store.directory.isEmpty() && here.compare(store.directory, Qt::CaseInsensitive) != 0)
            session.changeDirectory(store.directory);
        if (store.fromMemory)
            session.storeBytes(store.bytes, store.remoteName);
        else
            session.store(store.localPath, store.remoteName);
    } catch (const FtpFailure &failure) {
        error = failure.message().isEmpty() ? QStringLiteral("The store failed") : failure.message();
    } catch (const std::exception &failure) {
        error = QString::fromLocal8Bit(failure.what());
    }
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_outcomes[item.id] = {State::Done, error};
    --m_inHand;
    m_bytesInHand -= store.bytes.size();
    changed();
}

void SessionPool::call(const std::function<void(CurlFtpClient &)> &work)
{
    auto pending = std::make_shared<Call>();
    pending->work = work;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_queue.push_back({0, pending, {}});
        m_work.notify_all();
    }
    while (true) {
        quint64 since = 0;
        {
            const std::lock_guard<std::mutex> hold(m_mutex);
            if (pending->done)
                break;
            since = m_changes;
        }
        waitForChange(since);
    }
    m_host = pending->host;
    m_login = pending->login;
    m_port = pending->port;
    m_note = pending->note;
    m_directory = pending->directory;
    if (pending->failure)
        std::rethrow_exception(pending->failure);
}

bool SessionPool::isConnected() const
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_firstUp;
}

void SessionPool::connectTo(const QString &host, const QString &login, int port, const QString &password)
{
    call([&](CurlFtpClient &session) { session.connectTo(host, login, port, password); });
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_credentialsHost = host;
    m_credentialsLogin = login;
    m_credentialsPort = port;
    m_credentialsPassword = password;
    growIfWanted();
}

void SessionPool::disconnect()
{
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        for (const auto &lane : m_lanes)
            if (lane->number > 1)
                lane->quit = true;
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            if (it->call) {
                ++it;
                continue;
            }
            m_outcomes[it->id] = {State::Dropped, {}};
            --m_inHand;
            m_bytesInHand -= it->store.bytes.size();
            it = m_queue.erase(it);
        }
        changed();
        m_work.notify_all();
    }
    call([](CurlFtpClient &session) { session.disconnect(); });
    // The further connections close on their own threads.
    std::vector<std::unique_ptr<Lane>> ended;
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        for (auto it = m_lanes.begin(); it != m_lanes.end();) {
            if ((*it)->number > 1) {
                ended.push_back(std::move(*it));
                it = m_lanes.erase(it);
            } else {
                ++it;
            }
        }
        m_growing = false;
    }
    for (const auto &lane : ended)
        if (lane->thread.joinable())
            lane->thread.join();
}

QString SessionPool::printWorkingDirectory()
{
    if (!m_directory.isEmpty() && isConnected())
        return m_directory;
    QString directory;
    call([&](CurlFtpClient &session) { directory = session.printWorkingDirectory(); });
    return directory;
}

void SessionPool::changeUp()
{
    call([](CurlFtpClient &session) { session.changeUp(); });
}

void SessionPool::changeDirectory(const QString &directory)
{
    // The directory as the server spells it is known at once, so the next
    // question for it needs no round trip to the first connection.
    call([&](CurlFtpClient &session) {
        session.changeDirectory(directory);
        if (session.knownDirectory().isEmpty())
            session.printWorkingDirectory();
    });
}

void SessionPool::store(const QString &localPath, const QString &remoteName)
{
    call([&](CurlFtpClient &session) { session.store(localPath, remoteName); });
}

void SessionPool::storeBytes(const QByteArray &bytes, const QString &remoteName)
{
    call([&](CurlFtpClient &session) { session.storeBytes(bytes, remoteName); });
}

void SessionPool::removeFile(const QString &name)
{
    call([&](CurlFtpClient &session) { session.removeFile(name); });
}

std::optional<QHash<QString, qint64>> SessionPool::listSizes()
{
    std::optional<QHash<QString, qint64>> sizes;
    call([&](CurlFtpClient &session) { sizes = session.listSizes(); });
    return sizes;
}

void SessionPool::setKeyPassphrase(const QString &keyFile, const QString &passphrase)
{
    configure([keyFile, passphrase](CurlFtpClient &session) { session.setKeyPassphrase(keyFile, passphrase); });
}
