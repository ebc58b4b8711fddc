#include "toolkit/EndSignals.h"

#include "toolkit/TkError.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tk {

namespace {

constexpr std::array kEndSignals{SIGTERM, SIGINT, SIGHUP};

// The signal handler's only way to the event loop: one byte on a socket.
int g_wakeFd = -1;

extern "C" void wakeLoop(int signal)
{
    const char byte = char(signal);
    // Nothing to do if it fails: the loop is already woken.
    [[maybe_unused]] const ssize_t n = ::write(g_wakeFd, &byte, 1);
}

} // namespace

void onEndSignals(std::function<void()> end)
{
    int fds[2];
    if (g_wakeFd >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    g_wakeFd = fds[0];
    auto *notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd = fds[1], end = std::move(end)] {
        char byte;
        while (::read(fd, &byte, 1) == 1)
            ignoreErrors(end);
    });

    struct sigaction action = {};
    action.sa_handler = wakeLoop;
    ::sigemptyset(&action.sa_mask);
    // Once: the next one takes the system's default and ends the process,
    // should the orderly end itself hang.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : kEndSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace tk
