#pragma once
// The handful of system calls the shell makes, with their classic names and
// semantics, over Qt. Window handles are small integers from a registry here;
// every registered window has a window-procedure slot, so messages really
// travel through whatever procedure is installed.

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>

class QIcon;
class QWidget;

namespace tk {

using WNDPROC = int32_t (*)(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);

constexpr int32_t GWL_WNDPROC = -4;
constexpr int32_t WM_SYSCOMMAND = 274;
constexpr int32_t WM_NCLBUTTONDOWN = 161;
constexpr int32_t WM_LBUTTONDBLCLK = 515;
constexpr int32_t WM_RBUTTONDOWN = 516;
constexpr int32_t SC_MINIMIZE = 61472;
constexpr int32_t SC_RESTORE = 61728;
constexpr int32_t HTCAPTION = 2;
constexpr int32_t IMAGE_ICON = 1;
constexpr int32_t LR_LOADFROMFILE = 16;
constexpr int32_t SW_SHOWNORMAL = 1;

struct POINTAPI {
    int32_t x = 0;
    int32_t y = 0;
};

// Window registry.
int32_t registerWindow(QWidget *widget);
void unregisterWindow(int32_t hWnd);
QWidget *windowFromHandle(int32_t hWnd);

// The "address" of a procedure, as GetWindowLongA hands it out.
int32_t AddressOf(WNDPROC proc);

int32_t GetWindowLongA(int32_t hWnd, int32_t index);
int32_t SetWindowLongA(int32_t hWnd, int32_t index, int32_t newLong);
int32_t CallWindowProcA(int32_t prevProc, int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);
int32_t SendMessageA(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);
// SendMessageA for a message whose sender may know where on the screen the
// user acted: while it is handled, messagePlace() gives that point, or the
// pointer's place when at is empty.
int32_t SendMessageAt(std::optional<QPoint> at, int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);
QPoint messagePlace();
// What the system does with a message nobody else handled: minimise and
// restore (a window minimised where the system never says so, Wayland, is
// mapped anew to restore it), and a press on the caption starting a move of
// the window.
int32_t DefWindowProcA(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);

int32_t SetCapture(int32_t hWnd);
int32_t ReleaseCapture();
int32_t SetForegroundWindow(int32_t hWnd);
int32_t GetCursorPos(POINTAPI &point);
int32_t ScreenToClient(int32_t hWnd, POINTAPI &point);

// Opens a document or address with the desktop's handler; > 32 on success.
int32_t ShellExecuteA(int32_t hWnd, const QString &operation, const QString &file, const QString &parameters,
                      const QString &directory, int32_t showCmd);

// Loads an icon file; 0 when the file is missing or unreadable.
int32_t LoadImageA(int32_t hInst, const QString &name, int32_t type, int32_t cx, int32_t cy, int32_t flags);
QIcon iconFromHandle(int32_t hIcon);

// Moves a top-level window with the pointer until the button is released:
// through the window system where it can (the compositor's move on Wayland),
// by following the pointer otherwise, where the program may place windows.
void startWindowMove(QWidget *window);

} // namespace tk
