// The tabbed control's keys, pressed while the keyboard focus is in the
// selected page, and the zoom steps they take.
#include "TabFixture.h"
#include "Wait.h"

#include <QApplication>
#include <QTest>

using namespace tk;

namespace {

class TabKeys : public TabFixture {
protected:
    void SetUp() override
    {
        make();
        w().Move(0, 0, 9000, 5000);
        open(3); // tabs 0 1 2 3, tab 3 selected
        w().peer()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w().peer()));
        QApplication::setActiveWindow(w().peer());
        selections = 0;
    }

    // A key pressed in the selected page, as the user would.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *page = w().WB(w().CurrentTab).peer();
        page->setFocusPolicy(Qt::StrongFocus);
        page->setFocus();
        QTest::keyClick(page, Qt::Key(key), modifiers);
    }
};

TEST_F(TabKeys, TabKeysWalkTheStripBothWaysRoundAndCloseKeysCloseTheSelectedTab)
{
    const std::pair<std::pair<int, Qt::KeyboardModifiers>, int16_t> walk[] = {
        {{Qt::Key_Tab, Qt::ControlModifier}, 0},
        {{Qt::Key_PageDown, Qt::ControlModifier}, 1},
        {{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}, 0},
        {{Qt::Key_PageUp, Qt::ControlModifier}, 3},
        {{Qt::Key_PageUp, Qt::ControlModifier}, 2},
    };
    int presses = 0;
    for (const auto &[key, selected] : walk) {
        press(key.first, key.second);
        ++presses;
        EXPECT_EQ(w().CurrentTab, selected) << "after press " << presses;
        expectOnlySelected(selected);
    }
    EXPECT_EQ(selections, presses) << "each raises SelectTab, as a click does";

    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(tabs(), "open 1 3 | closed 2 | tab 3");
    press(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(tabs(), "open 1 | closed 2 3 | tab 1");
    press(Qt::Key_W, Qt::ControlModifier);
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(tabs(), "open  | closed 2 3 1 | tab 0") << "tab 0 stays";
}

TEST_F(TabKeys, PageKeysReachTheSelectedPageOnlyAndEscapeOnlyWhileItLoads)
{
    FakeBrowser &page = browser(3);
    FakeBrowser &other = browser(1);
    press(Qt::Key_F5);
    press(Qt::Key_R, Qt::ControlModifier);
    press(Qt::Key_Left, Qt::AltModifier);
    press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(page.calls, (QStringList{"Refresh", "Refresh", "GoBack", "GoForward"}));

    // Still loading the address it was opened with: Escape stops it. Loaded,
    // Escape is the page's again.
    ASSERT_TRUE(page.Busy());
    press(Qt::Key_Escape);
    EXPECT_EQ(page.calls.last(), "Stop");
    page.completeLoad(QStringLiteral("Loaded"));
    page.calls.clear();
    press(Qt::Key_Escape);
    EXPECT_TRUE(page.calls.isEmpty());

    press(Qt::Key_Equal, Qt::ControlModifier);
    press(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(page.zoomFactor(), 1.25);
    press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(page.zoomFactor(), 1.1);
    EXPECT_DOUBLE_EQ(other.zoomFactor(), 1.0) << "zoom is the tab's own";
    press(Qt::Key_0, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(page.zoomFactor(), 1.0);
    EXPECT_TRUE(other.calls.isEmpty());
}

TEST(ZoomSteps, FollowTheLevelsAndStopAtTheirEnds)
{
    const std::tuple<double, int, double> rows[] = {
        {1.0, +1, 1.1}, {1.0, -1, 0.9},   {1.1, +1, 1.25}, {0.9, -1, 0.8},  {5.0, +1, 5.0},
        {0.25, -1, 0.25}, {1.05, +1, 1.1}, {1.05, -1, 1.0}, {7.0, +1, 7.0}, {0.1, -1, 0.1},
        {7.0, -1, 5.0},  {0.1, +1, 0.25},
    };
    for (const auto &[from, direction, to] : rows)
        EXPECT_DOUBLE_EQ(wbcontrol::nextZoom(from, direction), to) << from << " " << direction;
}

} // namespace
