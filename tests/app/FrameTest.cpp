// The main window's frame: its layout, caption buttons, size and moves.
#include "ModuleSubClass.h"
#include "ShellFixture.h"

#include <QCursor>
#include <QSignalSpy>

using namespace tk;
using namespace tavrin;

namespace {

using Button = ControlArray<Image> Form1::*;
constexpr Button kMin = &Form1::ImageMin, kSize = &Form1::ImageSize, kExit = &Form1::ImageExit;
constexpr const char *kAtRest = "0 0 0";     // the minimise, size and close buttons
constexpr QRectF kDesign(0, 0, 13545, 9030); // the window's size as designed

// Every message that reaches the main window, before the shell's procedure.
std::set<std::pair<int32_t, int32_t>> messages;
int32_t chained = 0;

int32_t Recorder(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam)
{
    messages.emplace(uMsg, wParam);
    return CallWindowProcA(chained, hWnd, uMsg, wParam, lParam);
}

class Frame : public ShellFixture {
protected:
    // Shown, every message to it recorded from here on, ahead of the shell's procedure.
    static Form1 &shown()
    {
        main().Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main().peer()));
        messages.clear();
        chained = SetWindowLongA(main().hWnd(), GWL_WNDPROC, AddressOf(&Recorder));
        return main();
    }
    static QWindow *window() { return main().peer()->windowHandle(); }
    // A control's centre in window pixels.
    QPoint centreOf(const Control &c) { return c.peer()->mapTo(main().peer(), c.peer()->rect().center()); }
    // Which of a caption button's pictures are visible: exactly one.
    static std::string visible(Button b)
    {
        std::string shown;
        for (int16_t i = 0; i <= 2; ++i)
            shown += (main().*b)(i).Visible() ? std::to_string(i) : "";
        return shown;
    }
    static std::string pictures() { return visible(kMin) + " " + visible(kSize) + " " + visible(kExit); }
};

// Where the caption buttons lie (the three pictures of each at one place,
// or all of them), then the frame's pieces, Image1, Label1 and WBControl1.
std::string layout(const Form1 &f)
{
    std::string row;
    const auto add = [&](const Control &c) { row += (row.empty() ? "" : " | ") + geometry(c); };
    for (Button b : {kMin, kSize, kExit})
        for (int16_t i = 0; i <= 2; ++i)
            if (i == 0 || geometry((f.*b)(i)) != geometry((f.*b)(0)))
                add((f.*b)(i));
    const Control *const pieces[] = {
        &f.ImageTopLeft,     &f.ImageTopMiddle,  &f.ImageTopRight,     &f.ImageMiddleLeft,
        &f.ImageMiddleRight, &f.ImageButtomLeft, &f.ImageButtomMiddle, &f.ImageButtomRight,
        &f.Image1,           &f.Label1,          &f.WBControl1};
    for (const Control *c : pieces)
        add(*c);
    return row;
}

// The right-hand pieces follow the width, the lower ones the height. Below
// the corners a size the toolkit refuses keeps the last good one and the
// rest of the layout still runs. Any resize puts the caption buttons at rest.
TEST_F(Frame, TheLayoutFollowsTheSizeAndBelowTheCornersKeepsTheLastGoodSizes)
{
    Form1 &f = shown();
    const std::tuple<float, float, const char *> rows[] = {
        {19200, 14860,
         "17790 0 465 285 | 18235 0 435 285 | 18670 0 480 285 | 0 0 270 270 | 270 0 19200 270 | "
         "18975 0 225 270 | 0 270 135 14350 | 19080 270 120 14350 | 0 14620 270 240 | 270 14620 18705 240 | "
         "18975 14620 225 240 | 120 15 345 345 | 480 100 900 180 | 60 380 19080 14420"},
        {300, 400,
         "-1110 0 465 285 | -665 0 435 285 | -230 0 480 285 | 0 0 270 270 | 270 0 300 270 | 75 0 225 270 | "
         "0 270 135 14350 | 180 270 120 14350 | 0 160 270 240 | 270 160 18705 240 | 75 160 225 240 | "
         "120 15 345 345 | 480 100 900 180 | 60 380 180 14420"}};
    for (const auto &[width, height, expected] : rows) {
        f.ImageMin_MouseMove(0, 0, 0, 0, 0);
        f.ImageSize_MouseDown(1, 0, 0, 0, 0);
        f.Move(0, 0, width, height);
        EXPECT_EQ(layout(f) + " | " + pictures(), expected + std::string(" | ") + kAtRest);
    }
}

// A click with any mouse button acts. The close button hides the window in
// the tray, or without one minimises it; the size button makes it
// screen-wide (500 twips shorter than the screen), and back to 13000 × 9000
// centred when it is exactly as wide as the screen. A double click on the
// tray icon brings it back centred; however it comes back, its caption
// buttons are at rest.
TEST_F(Frame, ACaptionButtonActsOnAClickWithAnyMouseButton)
{
    const char *kCentred = "2827.5 3165 13545 9030", *kNormal = "3100 3180 13000 9000";
    const struct {
        Button button;
        Qt::MouseButton mouse;
        const char *after, *back; // after the click, then brought back from the tray or minimised
        QRectF from = kDesign;
        bool tray = true;
        QSize screen{1280, 1024};
    } rows[] = {
        {kMin, Qt::LeftButton, "minimised 0 0 13545 9030", kCentred},
        {kMin, Qt::RightButton, "minimised 0 0 13545 9030", kCentred},
        {kExit, Qt::LeftButton, "hidden 0 0 13545 9030", kCentred},
        {kExit, Qt::RightButton, "hidden 0 0 13545 9030", kCentred},
        {kExit, Qt::LeftButton, "minimised 0 0 13545 9030", "0 0 13545 9030", kDesign, false},
        {kSize, Qt::RightButton, "0 0 19200 14860", "0 250 19200 14860"},
        {kSize, Qt::MiddleButton, kNormal, kNormal, {0, 0, 19200, 14860}},
        {kSize, Qt::LeftButton, kNormal, kNormal, {600, 450, 19200, 6000}},
        {kSize, Qt::LeftButton, "0 0 19200 14860", "0 250 19200 14860", {0, 0, 19215, 6000}}, // a pixel wider
        {kSize, Qt::LeftButton, "272.5 750 13000 9000", "272.5 750 13000 9000", kDesign, true, {903, 700}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(testing::Message() << r.mouse << " click to " << r.after << " on " << r.screen.width());
        forms::unloadAll();
        NotificationArea::simulate(r.tray);
        desktop.screenSize = [s = r.screen] { return s; };
        Form1 &f = shown();
        EXPECT_EQ(chained, AddressOf(&WindowProc)) << "replaced with a tray or without";
        f.Move(float(r.from.left()), float(r.from.top()), float(r.from.width()), float(r.from.height()));
        QTest::mouseClick(window(), r.mouse, {}, centreOf((f.*r.button)(0)));
        // The pointer, still over the button, shows it normal; a minimise goes through the procedure.
        EXPECT_EQ(std::tuple(where(main()), pictures(), messages.count({WM_SYSCOMMAND, SC_MINIMIZE})),
                  std::tuple(std::string(r.after), std::string(kAtRest), size_t(f.peer()->isMinimized())));
        if (f.peer()->isMinimized())
            f.ImageSize_MouseMove(0, 0, 0, 0, 0); // the system's restore puts it at rest
        r.tray ? trayMessage(WM_LBUTTONDBLCLK) : (void)SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_EQ(where(main()) + " | " + pictures(), r.back + std::string(" | ") + kAtRest);
    }
}

// Closed without a tray, the window is minimised. Where the system forgets
// that at once (Wayland), bringing it back, as a second start does, maps it
// anew, once; not where it still counts as minimised, nor once it was active
// again (the desktop brought it back).
TEST_F(Frame, AMinimisedWindowTheSystemForgotIsMappedAnewToComeBack)
{
    const std::tuple<bool, bool, int> rows[] = {{false, false, 0}, {true, false, 1}, {true, true, 0}};
    for (const auto &[forgotten, activated, remaps] : rows) {
        SCOPED_TRACE(testing::Message() << "forgotten " << forgotten << ", activated " << activated);
        forms::unloadAll();
        NotificationArea::simulate(false);
        Form1 &f = shown();
        QTest::mouseClick(window(), Qt::LeftButton, {}, centreOf(f.ImageExit(0)));
        ASSERT_EQ(where(f), "minimised 0 0 13545 9030");
        if (forgotten)
            f.peer()->setWindowState(Qt::WindowNoState);
        QEvent activate(QEvent::WindowActivate);
        if (activated)
            QCoreApplication::sendEvent(f.peer(), &activate);
        QSignalSpy shownOrHidden(window(), &QWindow::visibleChanged);
        for (int k = 0; k < 2; ++k)
            SendMessageA(f.hWnd(), TrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
        EXPECT_EQ(std::tuple(shownOrHidden.count(), where(f)),
                  std::tuple(2 * remaps, std::string("2827.5 3165 13545 9030")));
    }
}

// Pressed, a button shows its pressed picture; moved before the release it
// only lights up. Any way out of it puts it at rest, even out over the
// window's edge, where the pointer crosses neither the caption bar nor the
// bare form.
TEST_F(Frame, APressThatMovesBeforeItsReleaseDoesNothingAndAnyWayOutPutsTheButtonsAtRest)
{
    Form1 &f = shown();
    for (Button button : {kMin, kSize, kExit})
        for (int way = 0; way < 3; ++way) {
            const QPoint at = centreOf((f.*button)(0)), moved = at + QPoint(3, 2);
            QCursor::setPos(window()->mapToGlobal(at));
            QTest::mouseMove(window(), at);
            QTest::mousePress(window(), Qt::LeftButton, {}, at);
            EXPECT_EQ(visible(button), "2");
            QTest::mouseMove(window(), moved);
            QTest::mouseRelease(window(), Qt::LeftButton, {}, moved);
            EXPECT_EQ(visible(button), "1");
            if (way == 0) { // over the edge: only the button hears the pointer go
                QCursor::setPos(window()->mapToGlobal(QPoint(at.x(), -5)));
                QEvent leave(QEvent::Leave);
                QCoreApplication::sendEvent((f.*button)(1).peer(), &leave);
            } else { // onto the caption bar, or the bare form
                QTest::mouseMove(window(), {400, way == 1 ? 8 : 21});
            }
            EXPECT_EQ(pictures(), kAtRest) << way;
        }
    EXPECT_EQ(where(main()), "0 0 13545 9030");
}

// Pressed with the pointer really there, moved by screen offsets (a window
// that follows keeps it on the same spot), then released.
TEST_F(Frame, OnlyALeftPressOnTheCaptionBarOrBareFormMovesTheWindowWithThePointer)
{
    Form1 &f = shown();
    const QPoint bar(400, 8), form(400, 21), caption = centreOf(f.Label1), edge(1, 300);
    const std::tuple<Qt::MouseButton, QPoint, bool> rows[] = {
        {Qt::LeftButton, bar, true},    {Qt::LeftButton, form, true},     {Qt::RightButton, bar, false},
        {Qt::RightButton, form, false}, {Qt::LeftButton, caption, false}, {Qt::LeftButton, edge, false}};
    for (const auto &[button, at, moves] : rows) {
        SCOPED_TRACE(testing::Message() << button << " at " << at.x() << "," << at.y());
        f.Move(1500, 1500);
        messages.clear();
        const QPoint start = window()->mapToGlobal(at);
        QCursor::setPos(start);
        QTest::mousePress(window(), button, {}, at);
        for (QPoint offset : {QPoint(30, 20), QPoint(-10, 5)})
            QTest::mouseMove(window(), window()->mapFromGlobal(start + offset));
        QTest::mouseRelease(window(), button, {}, window()->mapFromGlobal(start + QPoint(-10, 5)));
        EXPECT_EQ(messages.count({WM_NCLBUTTONDOWN, HTCAPTION}), size_t(moves));
        EXPECT_EQ(where(main()), moves ? "1350 1575 13545 9030" : "1500 1500 13545 9030");
        QTest::mouseMove(window(), at + QPoint(40, 40)); // released, the window stays put
        EXPECT_EQ(where(main()), moves ? "1350 1575 13545 9030" : "1500 1500 13545 9030");
    }
}

} // namespace
