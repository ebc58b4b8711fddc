#pragma once
// The signals that end a session (SIGTERM at logout or shutdown, SIGHUP when
// the terminal goes, SIGINT for Ctrl+C) end the program as its own way out
// does: the handler runs later, from the event loop, never inside the signal
// handler. A second signal while that runs ends the program at once, as the
// system's default would.

#include <functional>

namespace tk {

// Installs the handlers; `end` runs once per signal, from the event loop.
// Needs the application object.
void onEndSignals(std::function<void()> end);

} // namespace tk
