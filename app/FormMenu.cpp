#include "FormMenu.h"

#include "Form1.h"
#include "Forms.h"
#include "ModulePublicVariables.h"
#include "browser/Downloads.h"
#include "toolkit/Screen.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

using namespace tk;

namespace tavrin {

namespace {
// How far below the form that opens it the address dialog lies.
constexpr float kDialogDrop = 800;
} // namespace

FormMenu::FormMenu()
    : m_About(m_Menu.addItem(QStringLiteral("m_About"), QStringLiteral("关于"))),
      m_SpaceOne(m_Menu.addItem(QStringLiteral("m_SpaceOne"), QStringLiteral("-"))),
      m_OpenURL(m_Menu.addItem(QStringLiteral("m_OpenURL"), QStringLiteral("打开网址"))),
      m_Exit(m_Menu.addItem(QStringLiteral("m_Exit"), QStringLiteral("退出")))
{
    setCaption(QStringLiteral("FormMenu"));
    Move(150, 840, 1590, 240);
    m_About.Click = [this] { m_About_Click(); };
    m_OpenURL.Click = [this] { m_OpenURL_Click(); };
    m_Exit.Click = [this] { m_Exit_Click(); };
}

// Never shown, the form still decides where the tray's address dialog
// opens: it lies in the middle of the screen, so the dialog does too.
void FormMenu::Form_Load()
{
    centreOnScreen(*this);
}

// The maker's page opens in the desktop's browser, not in a tab.
void FormMenu::m_About_Click()
{
    ShellExecuteA(hWnd(), QStringLiteral("open"), appPath() + QStringLiteral("/about.html"), QString(),
                  QString(), SW_SHOWNORMAL);
}

void FormMenu::m_OpenURL_Click()
{
    // A page full screen would cover the dialog.
    if (forms::Form1.isLoaded())
        ignoreErrors([] { forms::Form1->WBControl1.LeaveFullScreen(); });
    showAddressDialog(Top() + kDialogDrop, Left());
}

void FormMenu::m_Exit_Click()
{
    // Half-written files are not kept: the engine is still up to cancel them.
    cancelRunningDownloads();
    SetWindowLongA(forms::Form1->hWnd(), GWL_WNDPROC, OldWindowProc);
    // With no form left the program ends.
    forms::unloadAll();
}

} // namespace tavrin
