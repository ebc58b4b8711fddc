// Selecting, hovering and closing tabs with the mouse.
#include "TabFixture.h"
#include "win32/Win32.h"

#include <QTest>
#include <QWindow>

using namespace tk;

namespace {

// Four tabs of 1500 twips (100 pixels) on a 6000 × 5000 control; tab 3 selected.
class Strip : public TabFixture {
protected:
    void SetUp() override { make(6000, 3); }
    void TearDown() override { ReleaseCapture(); }
    // Real pointer input through the window, so that capture is honoured.
    QWindow *show()
    {
        w().peer()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w().peer()));
        return w().peer()->windowHandle();
    }
    // A window point (pixels) at x, y inside tab i.
    QPoint in(int16_t i, int x, int y) { return QPoint(int(c().MTab(i).Left()) / 15 + x, y); }
    static QWidget *grabber() { return QWidget::mouseGrabber(); }
};

using Selection = Strip;
using Hover = Strip;

TEST_F(Selection, OnlyALeftPressOrLeftDragSelectsATabAndShowsOnlyItsPageAndCloseButton)
{
    expectOnlySelected(3);
    c().bgCenter(1).events.MouseDown(kLeftButton, 0, 500, 200);
    expectOnlySelected(1, 1);
    EXPECT_EQ(geometry(c().WBCnt(1)), "0 480 6000 4520");
    // Tab 0 never shows a close button.
    c().TIcon(0).events.MouseDown(kLeftButton, 0, 10, 10);
    expectOnlySelected(0);
    c().Tstr(2).events.MouseDown(kLeftButton, 0, 10, 10);
    expectOnlySelected(2, 3);

    // Pressing the selected tab only raises SelectTab; other buttons do nothing.
    c().MTab(3).setLeft(12345); // would move back with a layout
    c().MTab(2).events.MouseDown(kLeftButton, 0, 0, 0);
    EXPECT_EQ(std::tuple(selections, c().MTab(3).Left()), std::tuple(4, 12345.0f));
    for (int16_t button : {kRightButton, kMiddleButton})
        c().bgLeft(1).events.MouseDown(button, 0, 10, 10);
    expectOnlySelected(2, 4);
    c().MTab(3).setLeft(4500);

    // Moving over a tab's skin with only the left button held selects it.
    c().bgRight(1).events.MouseMove(0, 0, 10, 10);
    c().bgRight(1).events.MouseMove(kLeftButton | kRightButton, 0, 10, 10);
    expectOnlySelected(2);
    c().bgRight(1).events.MouseMove(kLeftButton, 0, 10, 10);
    c().bgCenter(1).events.MouseMove(kLeftButton, 0, 20, 10);
    expectOnlySelected(1, 6); // SelectTab at every movement
}

TEST_F(Hover, AnUnselectedTabLightsUpUnderThePointerUntilItLeavesOrIsClicked)
{
    QWindow *window = show();
    QTest::mouseMove(window, in(1, 12, 14)); // the icon
    EXPECT_EQ(std::tuple(skinOf(1), grabber()), std::tuple(2, c().MTab(1).peer()));
    QTest::mouseMove(window, in(1, 50, 25)); // its skin, heard by the captured body
    EXPECT_EQ(skinOf(1), 2);
    QTest::mouseMove(window, in(2, 50, 25)); // the next tab
    EXPECT_EQ(std::tuple(skinOf(1), grabber()), std::tuple(1, nullptr));
    QTest::mouseMove(window, in(2, 55, 25));
    EXPECT_EQ(skinOf(2), 1) << "the skin alone does not light a tab up";
    QTest::mouseMove(window, in(3, 12, 14));
    EXPECT_EQ(std::tuple(skinOf(3), grabber(), selections), std::tuple(0, nullptr, 0))
        << "the selected tab never changes";

    // A click on a lit tab selects it and lets the pointer go to the next tab clicked.
    QTest::mouseMove(window, in(1, 12, 14));
    QTest::mouseClick(window, Qt::LeftButton, {}, in(1, 12, 14));
    expectOnlySelected(1);
    EXPECT_EQ(grabber(), nullptr) << "the pointer is let go";
    QTest::mouseClick(window, Qt::LeftButton, {}, in(2, 50, 25));
    expectOnlySelected(2);
}

TEST_F(Hover, TheCloseButtonShowsHoverAndPressedAndClosesOnlyOnAReleaseOverIt)
{
    QWindow *window = show();
    const QPoint button = in(3, 88, 14); // 15 × 14 pixels from 81, 7
    QTest::mouseMove(window, button);
    EXPECT_EQ(closeButtonOf(3), 1);
    QTest::mousePress(window, Qt::LeftButton, {}, button);
    EXPECT_EQ(closeButtonOf(3), 2);
    QTest::mouseMove(window, in(3, 40, 20));
    EXPECT_EQ(closeButtonOf(3), 0);
    QTest::mouseRelease(window, Qt::LeftButton, {}, in(3, 40, 20));
    EXPECT_EQ(std::tuple(items(c().List1), grabber()), std::tuple("1 2 3", nullptr))
        << "released off the button";

    QTest::mouseMove(window, button);
    QTest::mouseClick(window, Qt::RightButton, {}, button);
    EXPECT_EQ(items(c().List1), "1 2 3") << "not with the right button";
    QTest::mousePress(window, Qt::LeftButton, {}, button);
    QTest::mouseMove(window, button + QPoint(1, 1));
    EXPECT_EQ(closeButtonOf(3), 2);
    QTest::mouseRelease(window, Qt::LeftButton, {}, button + QPoint(1, 1));
    EXPECT_EQ(std::tuple(tabs(), grabber()), std::tuple("open 1 2 | closed 3 | tab 2", nullptr));
}

} // namespace
