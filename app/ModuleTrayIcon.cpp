#include "ModuleTrayIcon.h"

#include "Form1.h"
#include "FormMenu.h"
#include "Forms.h"
#include "ModulePublicVariables.h"
#include "browser/Downloads.h"
#include "toolkit/DesktopServices.h"
#include "toolkit/Screen.h"
#include "win32/Win32.h"

#include <cstring>

using namespace tk;

namespace tavrin {

namespace {

// The icon tells of a download's end; a click on the message opens the
// folder on the desktop, where the file is.
void ShowDownloadMessage(const QString &title, const QString &fileName, const QString &folder)
{
    NotificationArea::showMessage(TrayIconData.hWnd, TrayIconData.uID, title, fileName, [folder] {
        ignoreErrors(
            [&] { ShellExecuteA(0, QStringLiteral("open"), folder, QString(), QString(), SW_SHOWNORMAL); });
    });
}

// Only while the icon is there to show them: without one, files are still
// saved and nobody is told.
void ListenToDownloads(bool listen)
{
    DownloadEvents &e = downloadEvents();
    if (!listen) {
        e = {};
        return;
    }
    e.DownloadFinished = [](const QString &fileName, const QString &folder) {
        ShowDownloadMessage(QStringLiteral("下载完成"), fileName, folder);
    };
    e.DownloadFailed = [](const QString &fileName, const QString &folder) {
        ShowDownloadMessage(QStringLiteral("下载失败"), fileName, folder);
    };
}

} // namespace

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
    if (TrayIconAdded) {
        raise(forms::Form1->desktop().iconAdded, TrayIconData);
        // Desktops that show only a menu the icon exports get the tray menu's
        // items; FormMenu loads when one first asks for them.
        NotificationArea::setMenu(
            TrayIconData.hWnd, TrayIconData.uID, [] { return forms::FormMenu->m_Menu.captions(); },
            [](int item) { forms::FormMenu->m_Menu.choose(item); });
    }
    ListenToDownloads(TrayIconAdded);
}

void DeleteTrayIcon()
{
    ListenToDownloads(false);
    Shell_NotifyIconA(NIM_DELETE, TrayIconData);
    TrayIconAdded = false;
}

} // namespace tavrin
