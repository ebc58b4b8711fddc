#pragma once
// Application-wide state shared by the modules: declarations only.

#include "win32/NotifyIcon.h"

#include <cstdint>

namespace tavrin {

// The tray icon's private message to the main window.
constexpr int32_t TrayCallbackMessage = 2025;

// The main window's procedure before WindowProc replaced it.
extern int32_t OldWindowProc;
// The tray icon record, as AddTrayIcon filled it.
extern tk::NOTIFYICONDATA TrayIconData;
// Whether the icon is really in the notification area: where it is not, the
// main window must never be hidden, as nothing could bring it back.
extern bool TrayIconAdded;

} // namespace tavrin
