#include "toolkit/Form.h"
#include "win32/NotifyIcon.h"
#include "win32/Win32.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tk;

namespace {

std::vector<int32_t> seen;
int32_t previous = 0;

int32_t Recording(int32_t hWnd, int32_t msg, int32_t wParam, int32_t lParam)
{
    seen.push_back(msg);
    return CallWindowProcA(previous, hWnd, msg, wParam, lParam);
}

} // namespace

TEST(WindowProcedures, AReplacedProcedureSeesEveryMessageAndChainsOn)
{
    Form form;
    const int32_t h = form.hWnd();
    ASSERT_NE(h, 0);
    EXPECT_EQ(GetWindowLongA(h, GWL_WNDPROC), AddressOf(&DefWindowProcA));

    seen.clear();
    SendMessageA(h, 2025, 0, 515); // nobody listens yet
    EXPECT_TRUE(seen.empty());

    previous = GetWindowLongA(h, GWL_WNDPROC);
    EXPECT_EQ(SetWindowLongA(h, GWL_WNDPROC, AddressOf(&Recording)), previous);
    form.Show();
    SendMessageA(h, 2025, 0, 516);
    SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0); // reaches the system through the chain
    EXPECT_EQ(seen, (std::vector<int32_t>{2025, WM_SYSCOMMAND}));
    EXPECT_TRUE(form.peer()->isMinimized());
    SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(form.peer()->isMinimized());

    SetWindowLongA(h, GWL_WNDPROC, previous);
    seen.clear();
    SendMessageA(h, 2025, 0, 515);
    EXPECT_TRUE(seen.empty());
    // Unknown handles and procedures are refused quietly.
    EXPECT_EQ(SetWindowLongA(h, GWL_WNDPROC, 12345), 0);
    EXPECT_EQ(SendMessageA(7, 2025, 0, 0), 0);
}

TEST(NotificationArea, WithoutOneTheIconIsNotAddedAndAMissingIconFileGivesHandleZero)
{
    NotificationArea::simulate(false);
    NOTIFYICONDATA d{};
    d.cbSize = 88;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, d));
    EXPECT_TRUE(NotificationArea::icons().empty());
    NotificationArea::simulate(true);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, d));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, d)); // the same icon twice
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, d));
    EXPECT_TRUE(NotificationArea::icons().empty());
    EXPECT_EQ(LoadImageA(0, QStringLiteral("/nonexistent/b.ico"), IMAGE_ICON, 16, 16, LR_LOADFROMFILE), 0);
}
