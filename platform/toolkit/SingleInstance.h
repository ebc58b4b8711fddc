#pragma once
// The program runs once per user: the first process holds a lock and listens
// on a local socket; a later one tells it that it was started again and then
// ends. A lock left by a process that died is taken over. The lock needs no
// application object, so a later start can tell before it builds one.

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tk {

class SingleInstance {
public:
    // name: the program's, the same for every start by this user.
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Whether this process is the one that runs.
    bool isPrimary() const { return m_primary; }
    // The one that runs starts hearing later ones; needs the application
    // object (its event loop delivers them).
    void listen();
    // Tells the running process it was started again, with the arguments
    // it was started with, waiting at most timeoutMs for it to listen (it
    // may be starting at this very moment).
    bool notifyPrimary(int timeoutMs, const QStringList &arguments = {});
    // Tells the process that runs under name, if it listens right now, that
    // it was started again with these arguments; false when none listens.
    // Takes no lock and waits for no one (at most timeoutMs for the message
    // to go out), so a start can ask this first and cheaply.
    static bool tellRunning(const QString &name, const QStringList &arguments, int timeoutMs);

    // Raised in the running process each time another start tells it.
    std::function<void(const QStringList &arguments)> startedAgain;

private:
    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_primary = false;
};

} // namespace tk
