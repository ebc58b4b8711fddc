// tavrin: hands the addresses it was given to a Tavrin that runs, or else
// becomes the browser. On Linux it does so before loading any library but
// the C++ one, Qt's included: a start while Tavrin runs ends in a few
// milliseconds instead of loading the web engine and its hundred libraries,
// and a first start reaches the browser without loading Qt twice.
#include "Instance.h"
#include "toolkit/StartupTrace.h"

#if defined(__linux__)
#include "toolkit/HandOver.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#else
#include "toolkit/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#endif

#if defined(__linux__)

namespace {

// The folder this program was started from, links resolved.
std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string exe(path, size_t(n));
    return exe.substr(0, exe.rfind('/'));
}

} // namespace

int main(int argc, char *argv[])
{
    tk::startupMark("main entered");
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (tk::handover::tell(tk::handover::socketPath(tavrin::kInstanceName), tk::handover::message(arguments),
                           tavrin::kHandOverTimeoutMs))
        return 0;
    // No Tavrin listens where this one looked. The same process goes on as
    // the browser, under the name it was started by (which names the
    // window's class), so whoever started it waits on it. The browser takes
    // the lock, or hands over itself: to one that listens elsewhere, or is
    // starting this very moment.
    const std::string browser = programFolder() + '/' + tavrin::kBrowserProgram;
    std::vector<char *> args(argv, argv + argc);
    args.push_back(nullptr);
    ::execv(browser.c_str(), args.data());
    std::fprintf(stderr, "tavrin: cannot start %s: %s\n", browser.c_str(), std::strerror(errno));
    return 127;
}

#else

int main(int argc, char *argv[])
{
    tk::startupMark("main entered");
    QCoreApplication app(argc, argv);
    if (tk::SingleInstance::tellRunning(QString::fromLatin1(tavrin::kInstanceName),
                                        QCoreApplication::arguments().mid(1), tavrin::kHandOverTimeoutMs))
        return 0;
    // No Tavrin listens. The browser takes the lock, or, should one be
    // starting this very moment, waits for it to listen and hands over.
    const QString browser =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(tavrin::kBrowserProgram);
    const int status = QProcess::execute(browser, QCoreApplication::arguments().mid(1));
    if (status < 0)
        std::fprintf(stderr, "tavrin: cannot start %s\n", qPrintable(browser));
    return status < 0 ? 127 : status;
}

#endif
