#include "ModuleTrayIcon.h"

#include "Forms.h"
#include "ModulePublicVariables.h"
#include "toolkit/Screen.h"
#include "win32/Win32.h"

#include <cstring>

using namespace tk;

void AddTrayIcon()
{
    const QString path = appPath() + QStringLiteral("/b.ico");
    const int32_t hIcon = LoadImageA(0, path, IMAGE_ICON, 16, 16, LR_LOADFROMFILE);

    TrayIconData.uID = 0;
    TrayIconData.hWnd = forms::Form1->hWnd();
    TrayIconData.hIcon = hIcon;
    TrayIconData.uCallbackMessage = TrayCallbackMessage;
    TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconData.cbSize = sizeof(NOTIFYICONDATA);

    // The tip is a fixed field of 64 characters: the text, a NUL, spaces.
    static const char tip[] = "Velmora";
    std::memset(TrayIconData.szTip, ' ', sizeof TrayIconData.szTip);
    std::memcpy(TrayIconData.szTip, tip, sizeof tip);

    TrayIconAdded = Shell_NotifyIconA(NIM_ADD, TrayIconData);
}

void DeleteTrayIcon()
{
    Shell_NotifyIconA(NIM_DELETE, TrayIconData);
    TrayIconAdded = false;
}
