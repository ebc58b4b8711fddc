#pragma once
// A later start's words to the Tavrin that runs, in plain C++ and POSIX: the
// starter speaks them before it has loaded any library of its own, Qt's
// included, so that a start while Tavrin runs ends in a few milliseconds and
// a first start loses none on its way to the browser.

#include <string>
#include <vector>

namespace tk::handover {

// "started again", then each non-empty argument percent-encoded (all but
// letters, digits and -._~) on a line of its own, then an empty line; at
// most kMaxArguments of them.
inline constexpr char kStartedAgain[] = "started again\n";
inline constexpr int kMaxArguments = 256;
std::string message(const std::vector<std::string> &arguments);

#if defined(__unix__)
// Where the process that runs under name listens, found as the running one
// names it: in the user's runtime folder ($XDG_RUNTIME_DIR, else the
// temporary folder's runtime-<user>), a folder the user owns; else in the
// temporary folder, with the user's name. "" when there is no telling.
std::string socketPath(const std::string &name);

// Sends message to whoever listens at path, waiting at most timeoutMs for
// it to go out; false at once when no one listens.
bool tell(const std::string &path, const std::string &message, int timeoutMs);
#endif

} // namespace tk::handover
