#pragma once
// The tray icon: added at start, removed when the main window unloads.

void AddTrayIcon();
void DeleteTrayIcon();
