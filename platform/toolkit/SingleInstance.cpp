#include "toolkit/SingleInstance.h"

#include "toolkit/HandOver.h"
#include "toolkit/TkError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <optional>

namespace tk {

namespace {

// A later start's message (toolkit/HandOver.h). What the running process
// reads from a peer is bounded; more, and the peer is dropped unheard.
constexpr qint64 kMaxMessageBytes = 1 << 20;

QByteArray messageOf(const QStringList &arguments)
{
    std::vector<std::string> bytes;
    for (const QString &a : arguments)
        bytes.push_back(a.toStdString());
    return QByteArray::fromStdString(handover::message(bytes));
}

// The arguments of a whole message, or nothing while it is incomplete or
// when it is not one.
std::optional<QStringList> argumentsOf(const QByteArray &data, bool &broken)
{
    const QByteArray header = handover::kStartedAgain;
    broken = !header.startsWith(data.left(header.size()));
    // The empty line: the header's own newline when nothing follows it.
    const qsizetype end = data.indexOf("\n\n", header.size() - 1);
    if (broken || end < 0)
        return std::nullopt;
    QStringList arguments;
    for (const QByteArray &line : data.mid(header.size(), end + 1 - header.size()).split('\n'))
        if (!line.isEmpty() && arguments.size() < handover::kMaxArguments)
            arguments << QString::fromUtf8(QByteArray::fromPercentEncoding(line));
    return arguments;
}

// The user's runtime folder (private to the user, gone at logout), else the
// temporary folder with the user's name in the file names.
QString runtimePath(const QString &name)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') + qEnvironmentVariable("USER");
    return dir + QLatin1Char('/') + name;
}

QString socketPathOf(const QString &name)
{
    return runtimePath(name) + QStringLiteral(".socket");
}

// One attempt at the process listening at path: nothing when none listens,
// else whether the message went out to it.
std::optional<bool> tell(const QString &path, const QByteArray &message, const QDeadlineTimer &deadline)
{
    const auto left = [&deadline] { return int(std::max<qint64>(1, deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(left()))
        return std::nullopt;
    socket.write(message);
    return socket.waitForBytesWritten(left());
}

} // namespace

SingleInstance::SingleInstance(const QString &name)
    : m_socketPath(socketPathOf(name)), m_lock(runtimePath(name) + QStringLiteral(".lock"))
{
    // A lock whose owner is gone (a crash) is stale and taken at once.
    m_lock.setStaleLockTime(0);
    if (!m_lock.tryLock(0))
        return;
    m_primary = true;
}

void SingleInstance::listen()
{
    if (!m_primary || m_server)
        return;
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
                bool broken = false;
                const std::optional<QStringList> arguments =
                    argumentsOf(peer->peek(kMaxMessageBytes), broken);
                if (!arguments && !broken && peer->bytesAvailable() < kMaxMessageBytes)
                    return; // the rest is on its way
                peer->disconnectFromServer();
                if (arguments && startedAgain)
                    ignoreErrors([this, &arguments] { startedAgain(*arguments); });
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

bool SingleInstance::notifyPrimary(int timeoutMs, const QStringList &arguments)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QByteArray message = messageOf(arguments);
    for (;;) {
        if (const std::optional<bool> sent = tell(m_socketPath, message, deadline))
            return *sent;
        if (deadline.hasExpired())
            return false;
        // The running process holds the lock but may not listen yet.
        QThread::msleep(20);
    }
}

bool SingleInstance::tellRunning(const QString &name, const QStringList &arguments, int timeoutMs)
{
    // Nothing listening fails at once: no socket file, or one left behind
    // that refuses the connection.
    return tell(socketPathOf(name), messageOf(arguments), QDeadlineTimer(timeoutMs)).value_or(false);
}

} // namespace tk
