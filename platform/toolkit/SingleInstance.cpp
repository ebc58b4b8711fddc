#include "toolkit/SingleInstance.h"

#include "toolkit/TkError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace tk {

namespace {

constexpr char kStartedAgain[] = "started again\n";

// The user's runtime folder (private to the user, gone at logout), else the
// temporary folder with the user's name in the file names.
QString runtimePath(const QString &name)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + qEnvironmentVariable("USER");
    return dir + QLatin1Char('/') + name;
}

} // namespace

SingleInstance::SingleInstance(const QString &name)
    : m_socketPath(runtimePath(name) + QStringLiteral(".socket")),
      m_lock(runtimePath(name) + QStringLiteral(".lock"))
{
    // A lock whose owner is gone (a crash) is stale and taken at once.
    m_lock.setStaleLockTime(0);
    if (!m_lock.tryLock(0))
        return;
    m_primary = true;
    // Holding the lock, no one else listens: a socket file left behind is stale.
    QLocalServer::removeServer(m_socketPath);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Without a socket later starts go unheard; this one runs all the same.
    if (!server->listen(m_socketPath))
        return;
    QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            QObject::connect(peer, &QLocalSocket::readyRead, peer, [this, peer] {
                if (!peer->canReadLine())
                    return;
                const bool again = peer->readLine(64) == kStartedAgain;
                peer->disconnectFromServer();
                if (again && startedAgain)
                    ignoreErrors(startedAgain);
            });
        }
    });
    m_server = std::move(server);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

bool SingleInstance::notifyPrimary(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kStartedAgain);
            return socket.waitForBytesWritten(int(std::max<qint64>(1, deadline.remainingTime())));
        }
        // The running process holds the lock but may not listen yet.
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace tk
