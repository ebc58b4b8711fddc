#pragma once
// Where start-up time goes: with TAVRIN_STARTUP_TRACE set, each mark prints
// the milliseconds since the process started (as the kernel counts it) to
// the standard error, once per name. Without it a mark costs one check.

namespace tk {

void startupMark(const char *what);

} // namespace tk
