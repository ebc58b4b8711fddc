#pragma once

#include <cstdint>

namespace tavrin {

// The main window's replaced procedure: acts on the tray icon's messages and
// hands every message on to the previous procedure.
int32_t WindowProc(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);

} // namespace tavrin
