#include "ModuleSubClass.h"

#include "Form1.h"
#include "FormMenu.h"
#include "Forms.h"
#include "ModulePublicVariables.h"
#include "toolkit/Screen.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

using namespace tk;

namespace tavrin {

int32_t WindowProc(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    if (uMsg == TrayCallbackMessage && lParam == WM_LBUTTONDBLCLK) {
        // Bring the main window back, centred at its present size; a page
        // full screen would stay over it.
        ignoreErrors([] { forms::Form1->WBControl1.LeaveFullScreen(); });
        ignoreErrors([] { centreOnScreen(*forms::Form1); });
        ignoreErrors([] { forms::Form1->Show(); });
        ignoreErrors([] { SendMessageA(forms::Form1->hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0); });
    }
    if (uMsg == TrayCallbackMessage && lParam == WM_RBUTTONDOWN) {
        ignoreErrors([] { SetForegroundWindow(forms::FormMenu->hWnd()); });
        ignoreErrors([] { forms::FormMenu->PopupMenu(forms::FormMenu->m_Menu); });
    }
    return CallWindowProcA(OldWindowProc, hWnd, uMsg, wParam, lParam);
}

} // namespace tavrin
