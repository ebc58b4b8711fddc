// tavrin: hands the addresses it was given to a Tavrin that runs, or else
// becomes the browser. Handing over takes Qt Core alone, so a start while
// Tavrin runs ends in a few milliseconds instead of loading the web engine
// and its hundred libraries first.
#include "Instance.h"
#include "toolkit/SingleInstance.h"
#include "toolkit/StartupTrace.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#else
#include <QProcess>
#endif

int main(int argc, char *argv[])
{
    tk::startupMark("main entered");
    // The arguments go on to the browser as they came, whatever the
    // application object makes of its own copy.
    std::vector<char *> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    int appArgc = argc;
    QCoreApplication app(appArgc, argv);
    if (tk::SingleInstance::tellRunning(QString::fromLatin1(tavrin::kInstanceName),
                                        QCoreApplication::arguments().mid(1), tavrin::kHandOverTimeoutMs))
        return 0;
    // No Tavrin listens. The browser takes the lock, or, should one be
    // starting this very moment, waits for it to listen and hands over.
    const QString browser =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(tavrin::kBrowserProgram);
#if defined(Q_OS_UNIX)
    // The same process goes on as the browser, under the name it was started
    // by (which names the window's class), so whoever started it waits on it.
    ::execv(QFile::encodeName(browser).constData(), arguments.data());
    std::fprintf(stderr, "tavrin: cannot start %s: %s\n", qPrintable(browser), std::strerror(errno));
    return 127;
#else
    const int status = QProcess::execute(browser, QCoreApplication::arguments().mid(1));
    if (status < 0)
        std::fprintf(stderr, "tavrin: cannot start %s\n", qPrintable(browser));
    return status < 0 ? 127 : status;
#endif
}
