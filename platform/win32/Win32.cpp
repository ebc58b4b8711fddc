#include "win32/Win32.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <map>
#include <utility>
#include <vector>

namespace tk {

namespace {

struct WindowEntry {
    QPointer<QWidget> widget;
    int32_t proc;
};

std::map<int32_t, WindowEntry> &windows()
{
    static std::map<int32_t, WindowEntry> table;
    return table;
}

std::vector<WNDPROC> &procedures()
{
    static std::vector<WNDPROC> table;
    return table;
}

constexpr int32_t kFirstProcAddress = 0x00401000;
constexpr int32_t kProcStride = 0x10;

WNDPROC procAt(int32_t address)
{
    const int32_t offset = address - kFirstProcAddress;
    if (offset < 0 || offset % kProcStride != 0)
        return nullptr;
    const size_t index = size_t(offset / kProcStride);
    return index < procedures().size() ? procedures()[index] : nullptr;
}

std::map<int32_t, QIcon> &icons()
{
    static std::map<int32_t, QIcon> table;
    return table;
}

// Follows the pointer with a window until the button comes up, where the
// window system cannot move it itself (X11 without a window manager).
class PointerMove : public QObject {
public:
    PointerMove(QWidget *window) : QObject(qApp), m_window(window)
    {
        m_startCursor = QCursor::pos();
        m_startPos = window->pos();
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (!(me->buttons() & Qt::LeftButton)) {
                finish();
                return false;
            }
            if (m_window)
                m_window->move(m_startPos + (me->globalPosition().toPoint() - m_startCursor));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            finish();
            return false;
        }
        return false;
    }

private:
    void finish()
    {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> m_window;
    QPoint m_startCursor;
    QPoint m_startPos;
};

// Wayland never tells a program that its window is minimised: Qt forgets the
// state as soon as it has asked for it, and the protocol has no request that
// brings such a window back. So a window minimised here is marked until it is
// restored or active again; restoring a marked window that no longer counts
// as minimised maps it anew, which every compositor shows. Where the
// compositor did not minimise it, that costs a flicker.
class MinimisedMark : public QObject {
public:
    explicit MinimisedMark(QWidget *window) : QObject(window)
    {
        setObjectName(name());
        window->installEventFilter(this);
    }
    static MinimisedMark *of(QWidget *window)
    {
        return static_cast<MinimisedMark *>(window->findChild<QObject *>(name(), Qt::FindDirectChildrenOnly));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate) {
            setObjectName(QString());
            deleteLater();
        }
        return false;
    }

private:
    static QString name() { return QStringLiteral("minimised here"); }
};

void minimise(QWidget *window)
{
    if (!MinimisedMark::of(window))
        new MinimisedMark(window);
    window->showMinimized();
}

void restore(QWidget *window)
{
    MinimisedMark *mark = MinimisedMark::of(window);
    const bool marked = mark != nullptr;
    delete mark;
    if (window->isMinimized()) {
        window->showNormal();
    } else if (marked && window->isVisible()) {
        window->hide();
        window->show();
    }
}

// Wayland leaves placing windows to the compositor: a window cannot follow
// the pointer by moving itself.
bool programPlacesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

int32_t registerWindow(QWidget *widget)
{
    static int32_t next = 0x10000;
    for (const auto &[h, e] : windows())
        if (e.widget == widget)
            return h;
    next += 4;
    windows()[next] = WindowEntry{widget, AddressOf(&DefWindowProcA)};
    return next;
}

void unregisterWindow(int32_t hWnd)
{
    windows().erase(hWnd);
}

QWidget *windowFromHandle(int32_t hWnd)
{
    auto it = windows().find(hWnd);
    return it == windows().end() ? nullptr : it->second.widget.data();
}

int32_t AddressOf(WNDPROC proc)
{
    auto &procs = procedures();
    for (size_t i = 0; i < procs.size(); ++i)
        if (procs[i] == proc)
            return kFirstProcAddress + int32_t(i) * kProcStride;
    procs.push_back(proc);
    return kFirstProcAddress + int32_t(procs.size() - 1) * kProcStride;
}

int32_t GetWindowLongA(int32_t hWnd, int32_t index)
{
    auto it = windows().find(hWnd);
    if (it == windows().end() || index != GWL_WNDPROC)
        return 0;
    return it->second.proc;
}

int32_t SetWindowLongA(int32_t hWnd, int32_t index, int32_t newLong)
{
    auto it = windows().find(hWnd);
    if (it == windows().end() || index != GWL_WNDPROC || !procAt(newLong))
        return 0;
    const int32_t old = it->second.proc;
    it->second.proc = newLong;
    return old;
}

int32_t CallWindowProcA(int32_t prevProc, int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    WNDPROC proc = procAt(prevProc);
    return proc ? proc(hWnd, uMsg, wParam, lParam) : 0;
}

int32_t SendMessageA(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    auto it = windows().find(hWnd);
    if (it == windows().end())
        return 0;
    return CallWindowProcA(it->second.proc, hWnd, uMsg, wParam, lParam);
}

namespace {
std::optional<QPoint> &placeGiven()
{
    static std::optional<QPoint> place;
    return place;
}
} // namespace

int32_t SendMessageAt(std::optional<QPoint> at, int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    struct Restore {
        std::optional<QPoint> outer;
        ~Restore() { placeGiven() = outer; }
    } restore{std::exchange(placeGiven(), at)};
    return SendMessageA(hWnd, uMsg, wParam, lParam);
}

QPoint messagePlace()
{
    return placeGiven().value_or(QCursor::pos());
}

int32_t DefWindowProcA(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t)
{
    QWidget *w = windowFromHandle(hWnd);
    if (!w)
        return 0;
    if (uMsg == WM_SYSCOMMAND && wParam == SC_MINIMIZE) {
        minimise(w->window());
    } else if (uMsg == WM_SYSCOMMAND && wParam == SC_RESTORE) {
        restore(w->window());
    } else if (uMsg == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
        startWindowMove(w->window());
    }
    return 0;
}

void startWindowMove(QWidget *window)
{
    QWindow *handle = window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    if (programPlacesWindows())
        new PointerMove(window);
}

int32_t SetCapture(int32_t hWnd)
{
    QWidget *w = windowFromHandle(hWnd);
    QWidget *previous = QWidget::mouseGrabber();
    if (w && w != previous)
        w->grabMouse();
    return previous ? registerWindow(previous) : 0;
}

int32_t ReleaseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    return 1;
}

int32_t SetForegroundWindow(int32_t hWnd)
{
    QWidget *w = windowFromHandle(hWnd);
    if (!w)
        return 0;
    w->activateWindow();
    return 1;
}

int32_t GetCursorPos(POINTAPI &point)
{
    const QPoint p = QCursor::pos();
    point.x = p.x();
    point.y = p.y();
    return 1;
}

int32_t ScreenToClient(int32_t hWnd, POINTAPI &point)
{
    QWidget *w = windowFromHandle(hWnd);
    if (!w)
        return 0;
    const QPoint p = w->mapFromGlobal(QPoint(point.x, point.y));
    point.x = p.x();
    point.y = p.y();
    return 1;
}

int32_t ShellExecuteA(int32_t, const QString &operation, const QString &file, const QString &,
                      const QString &, int32_t)
{
    if (operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return 2;
    const QUrl url = QFileInfo::exists(file) ? QUrl::fromLocalFile(file) : QUrl::fromUserInput(file);
    if (!url.isValid())
        return 2;
    return QDesktopServices::openUrl(url) ? 42 : 2;
}

int32_t LoadImageA(int32_t, const QString &name, int32_t type, int32_t cx, int32_t cy, int32_t flags)
{
    if (type != IMAGE_ICON || !(flags & LR_LOADFROMFILE))
        return 0;
    QImageReader reader(name);
    if (!reader.canRead())
        return 0;
    QIcon icon;
    // An icon file holds several sizes; keep them all, the asked one first.
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull() || icon.availableSizes().isEmpty())
        return 0;
    (void)cx;
    (void)cy;
    static int32_t next = 0x20000;
    next += 4;
    icons()[next] = icon;
    return next;
}

QIcon iconFromHandle(int32_t hIcon)
{
    auto it = icons().find(hIcon);
    return it == icons().end() ? QIcon() : it->second;
}

} // namespace tk
