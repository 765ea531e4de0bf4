#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

// One running Wren per executable and data directory. A second start hands its
// arguments (at most ten, each cut to 300 characters) to the running one, which
// comes to the front and answers; the second start then ends. A running
// instance that does not answer within the time-out (hung, or gone leaving its
// socket behind) is replaced: the new start becomes the running instance.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxArguments = 10;
    static constexpr int kMaxArgumentLength = 300;

    explicit SingleInstance(QString name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The socket of the instance of this executable on this data directory, for
    // this user: the same whatever the temporary directory of the process.
    static QString nameFor(const QString &executablePath, const QString &dataDir);

    // Hands the arguments to a running instance; true when it answered.
    bool handOver(const QStringList &arguments, int timeoutMs = 10000);
    // Becomes the running instance; false when the name cannot be taken.
    bool listen();

Q_SIGNALS:
    // A later start handed these arguments over; the window comes to the front.
    void argumentsReceived(const QStringList &arguments);

private:
    void readConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;
};
