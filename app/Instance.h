#pragma once
// What the starter and the browser agree on to run Tavrin once per user.

namespace tavrin {

// The name the running Tavrin's lock and socket go by.
inline constexpr char kInstanceName[] = "tavrin";
// How long a later start waits for the running one to hear it.
inline constexpr int kHandOverTimeoutMs = 1500;
// The browser's program, beside the starter.
inline constexpr char kBrowserProgram[] = "tavrin-browser";

} // namespace tavrin
