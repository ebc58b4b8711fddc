#pragma once
// The tray icon: added at start, removed when the main window unloads.

namespace tavrin {

void AddTrayIcon();
void DeleteTrayIcon();

} // namespace tavrin
