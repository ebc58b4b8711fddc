#include "toolkit/StartupTrace.h"

#include <QByteArray>
#include <QSet>
#include <QtGlobal>

#include <cstdio>
#include <ctime>

#if defined(Q_OS_LINUX)
#include <unistd.h>
#endif

namespace tk {

namespace {

bool tracing()
{
    static const bool on = qEnvironmentVariableIsSet("TAVRIN_STARTUP_TRACE");
    return on;
}

// Milliseconds of CLOCK_BOOTTIME at which the kernel started this process,
// from /proc/self/stat's start time in clock ticks; 0 where unknown.
double processStartMs()
{
#if defined(Q_OS_LINUX)
    std::FILE *f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return 0;
    char buf[2048];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const QByteArray stat(buf);
    // Fields after "(name)": state is the 3rd field, start time the 22nd.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return 0;
    return fields[19].toDouble() * 1000.0 / double(::sysconf(_SC_CLK_TCK));
#else
    return 0;
#endif
}

double nowMs()
{
    timespec ts{};
#if defined(CLOCK_BOOTTIME)
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
#else
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
#endif
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

} // namespace

void startupMark(const char *what)
{
    if (!tracing())
        return;
    static QSet<QByteArray> seen;
    if (seen.contains(what))
        return;
    seen.insert(what);
    static const double start = processStartMs();
    std::fprintf(stderr, "startup %8.1f ms  %s\n", start > 0 ? nowMs() - start : 0.0, what);
    std::fflush(stderr);
}

} // namespace tk
