#include "toolkit/StartupTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#if defined(__linux__)
#include <unistd.h>
#endif

namespace tk {

namespace {

bool tracing()
{
    static const bool on = std::getenv("TAVRIN_STARTUP_TRACE") != nullptr;
    return on;
}

// Milliseconds of CLOCK_BOOTTIME at which the kernel started this process,
// from /proc/self/stat's start time in clock ticks; 0 where unknown.
double processStartMs()
{
#if defined(__linux__)
    std::FILE *f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return 0;
    char buf[2048];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    // Fields after "(name)": state is the 3rd field, start time the 22nd.
    const char *field = std::strrchr(buf, ')');
    for (int i = 0; field && i < 20; ++i)
        field = std::strchr(field + 1, ' ');
    return field ? std::strtod(field + 1, nullptr) * 1000.0 / double(::sysconf(_SC_CLK_TCK)) : 0;
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
    static std::set<std::string> seen;
    if (!seen.insert(what).second)
        return;
    static const double start = processStartMs();
    std::fprintf(stderr, "startup %8.1f ms  %s\n", start > 0 ? nowMs() - start : 0.0, what);
    std::fflush(stderr);
}

} // namespace tk
