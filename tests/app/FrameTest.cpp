// The main window's frame: its layout, caption buttons, size and moves.
#include "Geometry.h"
#include "ModulePublicVariables.h"
#include "ModuleSubClass.h"
#include "ShellFixture.h"
#include "win32/Win32.h"

#include <QCursor>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace tk;

void PrintTo(const QPoint &p, std::ostream *os)
{
    *os << "(" << p.x() << ", " << p.y() << ")";
}

namespace {

using ::geometry;

// One row per array when its three pictures lie at one place, as they must.
std::string geometry(const ControlArray<Image> &button)
{
    std::string row = geometry(button(0));
    for (int16_t i = 1; i <= 2; ++i)
        if (geometry(button(i)) != row)
            row += " / " + geometry(button(i));
    return row;
}

// "ImageMin 12135 0 465 285 | ...": every piece's name and place, in this order.
std::string layout(const Form1 &f)
{
    const std::pair<const char *, const Control *> pieces[] = {{"ImageTopLeft", &f.ImageTopLeft},
                                                               {"ImageTopMiddle", &f.ImageTopMiddle},
                                                               {"ImageTopRight", &f.ImageTopRight},
                                                               {"ImageMiddleLeft", &f.ImageMiddleLeft},
                                                               {"ImageMiddleRight", &f.ImageMiddleRight},
                                                               {"ImageButtomLeft", &f.ImageButtomLeft},
                                                               {"ImageButtomMiddle", &f.ImageButtomMiddle},
                                                               {"ImageButtomRight", &f.ImageButtomRight},
                                                               {"Image1", &f.Image1},
                                                               {"Label1", &f.Label1},
                                                               {"WBControl1", &f.WBControl1}};
    std::string row = "ImageMin " + geometry(f.ImageMin) + " | ImageSize " + geometry(f.ImageSize) +
                      " | ImageExit " + geometry(f.ImageExit);
    for (const auto &[name, c] : pieces)
        row += std::string(" | ") + name + " " + geometry(*c);
    return row;
}

// Which pictures of each caption button are visible: exactly one each.
std::string visiblePictures(const ControlArray<Image> &button)
{
    std::string shown;
    for (int16_t i = 0; i <= 2; ++i)
        if (button(i).Visible())
            shown += char('0' + i);
    return shown;
}

std::string pictures(const Form1 &f)
{
    return "min " + visiblePictures(f.ImageMin) + " size " + visiblePictures(f.ImageSize) + " exit " +
           visiblePictures(f.ImageExit);
}

constexpr const char *kAllNormal = "min 0 size 0 exit 0";

// Every message that reaches the main window, before the shell's procedure.
std::vector<std::pair<int32_t, int32_t>> messages;
int32_t chained = 0;

int32_t Recorder(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    messages.emplace_back(uMsg, wParam);
    return CallWindowProcA(chained, hWnd, uMsg, wParam, lParam);
}

class Frame : public ShellFixture {
protected:
    Form1 &shown()
    {
        Form1 &f = *forms::Form1;
        f.Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(f.peer()));
        return f;
    }
    static QWindow *window() { return forms::Form1->peer()->windowHandle(); }
    // A control's centre in window pixels.
    static QPoint centreOf(const Control &c)
    {
        return c.peer()->mapTo(forms::Form1->peer(), c.peer()->rect().center());
    }
    static void click(const Control &c, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(window(), button, {}, centreOf(c));
    }
    static void hoverAndClick(const Control &c)
    {
        QTest::mouseMove(window(), centreOf(c));
        click(c);
    }
    static void restoreFromTray() { NotificationArea::activate(TrayIconData.hWnd, 0, WM_LBUTTONDBLCLK); }
    // Every message from here on, ahead of the shell's procedure.
    static void recordMessages()
    {
        messages.clear();
        chained = SetWindowLongA(forms::Form1->hWnd(), GWL_WNDPROC, AddressOf(&Recorder));
    }
    static bool sawMessage(int32_t uMsg, int32_t wParam)
    {
        return std::find(messages.begin(), messages.end(), std::pair(uMsg, wParam)) != messages.end();
    }
    // Presses with the pointer really there, moves it by screen offsets from there
    // (a window that follows keeps it on the same spot) and releases it.
    static void drag(Qt::MouseButton button, QPoint at, const std::vector<QPoint> &offsets)
    {
        const QPoint start = window()->mapToGlobal(at);
        QCursor::setPos(start);
        QTest::mousePress(window(), button, {}, at);
        QPoint pointer = start;
        for (QPoint offset : offsets)
            QTest::mouseMove(window(), window()->mapFromGlobal(pointer = start + offset));
        QTest::mouseRelease(window(), button, {}, window()->mapFromGlobal(pointer));
    }
};

TEST_F(Frame, TheLayoutPlacesEveryPieceFromTheWindowsSizeAndBelowTheCornersKeepsTheLastGoodSizes)
{
    Form1 &f = shown();
    EXPECT_EQ(layout(f),
              "ImageMin 12135 0 465 285 | ImageSize 12580 0 435 285 | ImageExit 13015 0 480 285 | "
              "ImageTopLeft 0 0 270 270 | ImageTopMiddle 270 0 13545 270 | ImageTopRight 13320 0 225 270 | "
              "ImageMiddleLeft 0 270 135 8520 | ImageMiddleRight 13425 270 120 8520 | "
              "ImageButtomLeft 0 8790 270 240 | ImageButtomMiddle 270 8790 13050 240 | "
              "ImageButtomRight 13320 8790 225 240 | Image1 120 15 345 345 | Label1 480 100 900 180 | "
              "WBControl1 60 380 13425 8590");
    f.ImageSize(0).setVisible(false);
    f.ImageSize(1).setVisible(true);
    f.setWidth(300);
    f.setHeight(400);
    EXPECT_EQ(layout(f),
              "ImageMin -1110 0 465 285 | ImageSize -665 0 435 285 | ImageExit -230 0 480 285 | "
              "ImageTopLeft 0 0 270 270 | ImageTopMiddle 270 0 300 270 | ImageTopRight 75 0 225 270 | "
              "ImageMiddleLeft 0 270 135 8520 | ImageMiddleRight 180 270 120 8520 | "
              "ImageButtomLeft 0 160 270 240 | ImageButtomMiddle 270 160 13050 240 | "
              "ImageButtomRight 75 160 225 240 | Image1 120 15 345 345 | Label1 480 100 900 180 | "
              "WBControl1 60 380 180 8590");
    EXPECT_EQ(pictures(f), kAllNormal);
}

// Every resize, the system's minimise and restore included, and every way
// back from the tray or from minimised shows the caption buttons at rest.
TEST_F(Frame, EveryResizeAndEveryWayBackShowsTheCaptionButtonsAtRest)
{
    Form1 &f = shown();
    f.ImageMin_MouseMove(0, 0, 0, 0, 0);
    f.ImageSize_MouseDown(2, 1, 0, 0, 0);
    f.ImageExit_MouseMove(1, 0, 0, 0, 0);
    EXPECT_EQ(pictures(f), "min 1 size 2 exit 1");
    f.setHeight(8000);
    EXPECT_EQ(pictures(f), kAllNormal);
    f.ImageMin_MouseDown(0, 1, 0, 0, 0);
    SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(f.peer()->isMinimized());
    f.ImageSize_MouseMove(0, 0, 0, 0, 0);
    SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(f.peer()->isMinimized());
    EXPECT_EQ(pictures(f), kAllNormal);

    hoverAndClick(f.ImageExit(0)); // hidden with its own close button, by real clicks
    ASSERT_FALSE(f.isShown());
    restoreFromTray();
    ASSERT_TRUE(f.isShown());
    EXPECT_EQ(pictures(f), kAllNormal);
    hoverAndClick(f.ImageMin(0));
    ASSERT_TRUE(f.peer()->isMinimized());
    restoreFromTray();
    EXPECT_FALSE(f.peer()->isMinimized());
    EXPECT_EQ(pictures(f), kAllNormal);
}

TEST_F(Frame, APressThatMovesBeforeItsReleaseDoesNothingAndAnyWayOutOfAButtonPutsItAtRest)
{
    Form1 &f = shown();
    for (auto *button : {&f.ImageMin, &f.ImageSize, &f.ImageExit}) {
        const QPoint at = centreOf((*button)(0));
        QCursor::setPos(window()->mapToGlobal(at));
        QTest::mousePress(window(), Qt::LeftButton, {}, at);
        EXPECT_EQ(visiblePictures(*button), "2");
        QTest::mouseMove(window(), at + QPoint(3, 2));
        QTest::mouseRelease(window(), Qt::LeftButton, {}, at + QPoint(3, 2));
        EXPECT_EQ(visiblePictures(*button), "1");
    }
    // Leaving a button puts it at rest, even out over the window's edge,
    // where the pointer crosses neither the caption bar nor the bare form.
    EXPECT_EQ(pictures(f), "min 0 size 0 exit 1");
    QCursor::setPos(window()->mapToGlobal(QPoint(centreOf(f.ImageExit(0)).x(), -5)));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.ImageExit(1).peer(), &leave);
    EXPECT_EQ(pictures(f), kAllNormal);
    // Then into the caption bar and onto the bare form.
    const struct {
        const Control *button;
        const char *lit;
        QPoint out;
    } ways[] = {{&f.ImageExit(0), "min 0 size 0 exit 1", {400, 8}},
                {&f.ImageMin(0), "min 1 size 0 exit 0", {400, 21}}};
    for (const auto &[button, lit, out] : ways) {
        QTest::mouseMove(window(), centreOf(*button));
        EXPECT_EQ(pictures(f), lit);
        QTest::mouseMove(window(), out);
        EXPECT_EQ(pictures(f), kAllNormal);
    }
    EXPECT_TRUE(f.isShown());
    EXPECT_FALSE(f.peer()->isMinimized());
    EXPECT_EQ(geometry(f), "0 0 13545 9030");
}

TEST_F(Frame, AClickWithAnyMouseButtonActs)
{
    Form1 &f = shown();
    recordMessages();
    click(f.ImageSize(0), Qt::RightButton);
    EXPECT_EQ(f.Width(), 19200);
    click(f.ImageSize(0), Qt::MiddleButton);
    EXPECT_EQ(f.Width(), 13000);
    click(f.ImageMin(0), Qt::RightButton);
    EXPECT_TRUE(sawMessage(WM_SYSCOMMAND, SC_MINIMIZE)) << "through the window procedure";
    EXPECT_TRUE(f.peer()->isMinimized());
    SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
    click(f.ImageExit(0), Qt::RightButton);
    EXPECT_FALSE(f.isShown());
    EXPECT_FALSE(f.peer()->isMinimized());
    EXPECT_TRUE(forms::Form1.isLoaded()) << "the program goes on in the tray";
    EXPECT_EQ(NotificationArea::icons().size(), 1u);
}

// Screen-wide (a width of the screen's, whatever the height and place) goes
// back to 13000 × 9000 centred; anything else becomes screen-wide.
TEST_F(Frame, TheSizeButtonTogglesByComparingTheWidthWithTheScreens)
{
    Form1 &f = shown();
    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "0 0 19200 14860");
    EXPECT_EQ(pictures(f), kAllNormal) << "the pointer, still over the button, shows it normal";
    // The right-hand pieces follow the width, the lower ones the height.
    EXPECT_EQ(geometry(f.ImageExit), "18670 0 480 285");
    EXPECT_EQ(geometry(f.ImageButtomMiddle), "270 14620 18705 240");
    EXPECT_EQ(geometry(f.WBControl1), "60 380 19080 14420");
    const struct {
        float left, top, width, height;
        const char *after;
    } rows[] = {
        {0, 0, 19200, 14860, "3100 3180 13000 9000"},
        {600, 450, 19200, 6000, "3100 3180 13000 9000"},
        {0, 0, 19215, 6000, "0 0 19200 14860"}, // one pixel wider than the screen
    };
    for (const auto &r : rows) {
        f.Move(r.left, r.top, r.width, r.height);
        click(f.ImageSize(0));
        EXPECT_EQ(geometry(f), r.after) << r.left << " " << r.top << " " << r.width << " " << r.height;
        EXPECT_EQ(pictures(f), kAllNormal);
    }
}

TEST_F(Frame, OnAScreenExactlyAsWideAsTheDesignTheFirstSizeClickRestores)
{
    Screen::setOverrideSize(QSize(903, 700));
    Form1 &f = shown();
    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "272.5 750 13000 9000");
}

TEST_F(Frame, WithoutANotificationAreaTheShellKnowsAndTheCloseButtonMinimisesInsteadOfHiding)
{
    NotificationArea::simulate(false);
    Form1 &f = shown();
    ASSERT_FALSE(TrayIconAdded);
    EXPECT_EQ(GetWindowLongA(f.hWnd(), GWL_WNDPROC), AddressOf(&WindowProc)) << "replaced all the same";
    click(f.ImageExit(0));
    EXPECT_TRUE(f.isShown());
    EXPECT_TRUE(f.peer()->isMinimized());
}

TEST_F(Frame, OnlyALeftPressOnTheCaptionBarOrBareFormMovesTheWindowWithThePointer)
{
    Form1 &f = shown();
    // The caption bar, the bare form, the caption text, the left edge.
    const struct {
        Qt::MouseButton button;
        QPoint at;
        bool moves;
    } rows[] = {{Qt::LeftButton, {400, 8}, true},
                {Qt::LeftButton, {400, 21}, true},
                {Qt::RightButton, {400, 8}, false},
                {Qt::RightButton, {400, 21}, false},
                {Qt::LeftButton, centreOf(f.Label1), false},
                {Qt::LeftButton, {1, 300}, false}};
    for (const auto &r : rows) {
        SCOPED_TRACE(testing::Message() << r.button << " at " << r.at.x() << "," << r.at.y());
        f.Move(1500, 1500);
        recordMessages();
        drag(r.button, r.at, {QPoint(30, 20), QPoint(-10, 5)});
        EXPECT_EQ(sawMessage(WM_NCLBUTTONDOWN, HTCAPTION), r.moves);
        const QPoint expected = r.moves ? QPoint(100 - 10, 100 + 5) : QPoint(100, 100);
        EXPECT_EQ(f.peer()->pos(), expected);
        EXPECT_EQ(QPointF(f.Left(), f.Top()), QPointF(expected * 15));
        QTest::mouseMove(window(), r.at + QPoint(40, 40)); // released, the window stays put
        EXPECT_EQ(f.peer()->pos(), expected);
        SetWindowLongA(f.hWnd(), GWL_WNDPROC, chained);
    }
}

} // namespace
