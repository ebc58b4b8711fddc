#include "toolkit/HandOver.h"

#include <algorithm>
#include <cstdlib>

#if defined(__unix__)
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace tk::handover {

std::string message(const std::vector<std::string> &arguments)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = kStartedAgain;
    const size_t count = std::min(arguments.size(), size_t(kMaxArguments));
    for (size_t i = 0; i < count; ++i) {
        if (arguments[i].empty()) // an empty line ends the message
            continue;
        for (const unsigned char c : arguments[i]) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                c == '.' || c == '_' || c == '~') {
                out += char(c);
            } else {
                out += '%';
                out += hex[c >> 4];
                out += hex[c & 15];
            }
        }
        out += '\n';
    }
    return out + '\n';
}

#if defined(__unix__)

namespace {

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string tempFolder()
{
    std::string dir = environment("TMPDIR");
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir.empty() ? "/tmp" : dir;
}

bool ownFolder(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

} // namespace

std::string socketPath(const std::string &name)
{
    std::string runtime = environment("XDG_RUNTIME_DIR");
    if (runtime.empty()) {
        const passwd *user = ::getpwuid(::geteuid());
        if (!user)
            return {};
        runtime = tempFolder() + "/runtime-" + user->pw_name;
    }
    if (ownFolder(runtime))
        return runtime + '/' + name + ".socket";
    return tempFolder() + '/' + name + '-' + environment("USER") + ".socket";
}

bool tell(const std::string &path, const std::string &message, int timeoutMs)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Bounds a connection the listener's backlog holds up, and each write.
    const timeval bound{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    bool sent = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    for (size_t done = 0; sent && done < message.size();) {
        const ssize_t n = ::send(fd, message.data() + done, message.size() - done, MSG_NOSIGNAL);
        if (n > 0)
            done += size_t(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            sent = false;
    }
    ::close(fd);
    return sent;
}

#endif

} // namespace tk::handover
