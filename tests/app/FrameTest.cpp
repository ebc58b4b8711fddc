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

void PrintTo(const QPoint &p, std::ostream *os) { *os << "(" << p.x() << ", " << p.y() << ")"; }

namespace {

using Rows = std::vector<std::string>;

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

// "ImageMin 12135 0 465 285": a piece's name and place.
#define PIECE(name) #name " " + geometry(f.name)

Rows layout(const Form1 &f)
{
    return {PIECE(ImageTopLeft),      PIECE(ImageTopMiddle),   PIECE(ImageTopRight),
            PIECE(ImageMiddleLeft),   PIECE(ImageMiddleRight), PIECE(ImageButtomLeft),
            PIECE(ImageButtomMiddle), PIECE(ImageButtomRight), PIECE(ImageMin),
            PIECE(ImageSize),         PIECE(ImageExit),        PIECE(Image1),
            PIECE(Label1),            PIECE(WBControl1)};
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
        for (QPoint offset : offsets) {
            pointer = start + offset;
            QTest::mouseMove(window(), window()->mapFromGlobal(pointer));
        }
        QTest::mouseRelease(window(), button, {}, window()->mapFromGlobal(pointer));
    }
};

TEST_F(Frame, TheLayoutPlacesEveryPieceFromTheWindowsSize)
{
    Form1 &f = shown();
    EXPECT_EQ(layout(f), (Rows{
                             "ImageTopLeft 0 0 270 270",
                             "ImageTopMiddle 270 0 13545 270",
                             "ImageTopRight 13320 0 225 270",
                             "ImageMiddleLeft 0 270 135 8520",
                             "ImageMiddleRight 13425 270 120 8520",
                             "ImageButtomLeft 0 8790 270 240",
                             "ImageButtomMiddle 270 8790 13050 240",
                             "ImageButtomRight 13320 8790 225 240",
                             "ImageMin 12135 0 465 285",
                             "ImageSize 12580 0 435 285",
                             "ImageExit 13015 0 480 285",
                             "Image1 120 15 345 345",
                             "Label1 480 100 900 180",
                             "WBControl1 60 380 13425 8590",
                         }));

}

TEST_F(Frame, AWindowNarrowerThanItsCornersKeepsTheLastGoodSizesAndPlacesTheRest)
{
    Form1 &f = shown();
    f.ImageSize(0).setVisible(false);
    f.ImageSize(1).setVisible(true);
    f.setWidth(300);
    f.setHeight(400);
    EXPECT_EQ(layout(f), (Rows{
                             "ImageTopLeft 0 0 270 270",
                             "ImageTopMiddle 270 0 300 270",
                             "ImageTopRight 75 0 225 270",
                             "ImageMiddleLeft 0 270 135 8520",
                             "ImageMiddleRight 180 270 120 8520",
                             "ImageButtomLeft 0 160 270 240",
                             "ImageButtomMiddle 270 160 13050 240",
                             "ImageButtomRight 75 160 225 240",
                             "ImageMin -1110 0 465 285",
                             "ImageSize -665 0 435 285",
                             "ImageExit -230 0 480 285",
                             "Image1 120 15 345 345",
                             "Label1 480 100 900 180",
                             "WBControl1 60 380 180 8590",
                         }));
    EXPECT_EQ(pictures(f), kAllNormal);
}

TEST_F(Frame, EveryResizeShowsTheCaptionButtonsNormal)
{
    Form1 &f = shown();
    f.ImageMin_MouseMove(0, 0, 0, 0, 0);
    f.ImageSize_MouseDown(2, 1, 0, 0, 0);
    f.ImageExit_MouseMove(1, 0, 0, 0, 0);
    EXPECT_EQ(pictures(f), "min 1 size 2 exit 1");
    f.setHeight(8000);
    EXPECT_EQ(pictures(f), kAllNormal);

    // Minimised and restored by the system: each a size change.
    f.ImageMin_MouseDown(0, 1, 0, 0, 0);
    SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(f.peer()->isMinimized());
    f.ImageSize_MouseMove(0, 0, 0, 0, 0);
    SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
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
    QTest::mouseMove(window(), centreOf(f.ImageExit(0)));
    EXPECT_EQ(pictures(f), "min 0 size 0 exit 1");
    QTest::mouseMove(window(), QPoint(400, 8));
    EXPECT_EQ(pictures(f), kAllNormal);
    QTest::mouseMove(window(), centreOf(f.ImageMin(0)));
    EXPECT_EQ(pictures(f), "min 1 size 0 exit 0");
    QTest::mouseMove(window(), QPoint(400, 21));
    EXPECT_EQ(pictures(f), kAllNormal);
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

TEST_F(Frame, BackFromTheTrayOrFromMinimisedEveryButtonIsAtRest)
{
    Form1 &f = shown();
    // Hidden with its own close button, by real clicks: hover, press, release.
    QTest::mouseMove(window(), centreOf(f.ImageExit(0)));
    click(f.ImageExit(0));
    ASSERT_FALSE(f.isShown());
    NotificationArea::activate(TrayIconData.hWnd, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(f.isShown());
    EXPECT_EQ(pictures(f), kAllNormal);

    QTest::mouseMove(window(), centreOf(f.ImageMin(0)));
    click(f.ImageMin(0));
    ASSERT_TRUE(f.peer()->isMinimized());
    NotificationArea::activate(TrayIconData.hWnd, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(f.peer()->isMinimized());
    EXPECT_EQ(pictures(f), kAllNormal);
}

TEST_F(Frame, TheSizeButtonTogglesByComparingTheWidthWithTheScreens)
{
    Form1 &f = shown();
    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "0 0 19200 14860");
    // The pointer is still over the button, which shows its normal picture.
    EXPECT_EQ(pictures(f), kAllNormal);
    // The right-hand pieces follow the width, the lower ones the height.
    EXPECT_EQ(geometry(f.ImageExit), "18670 0 480 285");
    EXPECT_EQ(geometry(f.ImageButtomMiddle), "270 14620 18705 240");
    EXPECT_EQ(geometry(f.WBControl1), "60 380 19080 14420");

    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "3100 3180 13000 9000");
    EXPECT_EQ(pictures(f), kAllNormal);

    // Screen-wide however it got so, whatever its height and place.
    f.Move(600, 450, 19200, 6000);
    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "3100 3180 13000 9000");
    // One pixel wider than the screen is not screen-wide.
    f.Move(0, 0, 19215, 6000);
    click(f.ImageSize(0));
    EXPECT_EQ(geometry(f), "0 0 19200 14860");
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
    struct Case {
        Qt::MouseButton button;
        QPoint at;
        bool moves;
    };
    for (const Case &c : {Case{Qt::LeftButton, {400, 8}, true}, Case{Qt::LeftButton, {400, 21}, true},
                          Case{Qt::RightButton, {400, 8}, false}, Case{Qt::RightButton, {400, 21}, false},
                          Case{Qt::LeftButton, centreOf(f.Label1), false},
                          Case{Qt::LeftButton, {1, 300}, false}}) { // the caption text, the left edge
        SCOPED_TRACE(testing::Message() << c.button << " at " << c.at.x() << "," << c.at.y());
        f.Move(1500, 1500);
        recordMessages();
        drag(c.button, c.at, {QPoint(30, 20), QPoint(-10, 5)});
        EXPECT_EQ(sawMessage(WM_NCLBUTTONDOWN, HTCAPTION), c.moves);
        const QPoint expected = c.moves ? QPoint(100 - 10, 100 + 5) : QPoint(100, 100);
        EXPECT_EQ(f.peer()->pos(), expected);
        EXPECT_EQ(QPointF(f.Left(), f.Top()), QPointF(expected * 15));
        // Released, the window stays put.
        QTest::mouseMove(window(), c.at + QPoint(40, 40));
        EXPECT_EQ(f.peer()->pos(), expected);
        SetWindowLongA(f.hWnd(), GWL_WNDPROC, chained);
    }
}

} // namespace
