// The tabbed control's keys, pressed while the keyboard focus is in the
// selected page, and the zoom steps they take.
#include "TabKeys.h"
#include "TabFixture.h"

#include <QApplication>
#include <QTest>

using namespace tk;

namespace {

class TabKeys : public TabFixture {
protected:
    void SetUp() override
    {
        make(9000, 3); // tabs 0 1 2 3, tab 3 selected
        w().peer()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w().peer()));
        QApplication::setActiveWindow(w().peer());
    }

    // A key pressed in the selected page, as the user would.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *page = c().WB(w().CurrentTab).peer();
        page->setFocusPolicy(Qt::StrongFocus);
        page->setFocus();
        QTest::keyClick(page, Qt::Key(key), modifiers);
    }
};

TEST_F(TabKeys, TabKeysWalkTheStripBothWaysRoundAndCloseKeysCloseTheSelectedTab)
{
    constexpr auto Ctrl = Qt::ControlModifier;
    const std::tuple<int, Qt::KeyboardModifiers, const char *> rows[] = {
        {Qt::Key_Tab, Ctrl, "open 1 2 3 | closed  | tab 0"},
        {Qt::Key_PageDown, Ctrl, "open 1 2 3 | closed  | tab 1"},
        {Qt::Key_Backtab, Ctrl | Qt::ShiftModifier, "open 1 2 3 | closed  | tab 0"},
        {Qt::Key_PageUp, Ctrl, "open 1 2 3 | closed  | tab 3"},
        {Qt::Key_PageUp, Ctrl, "open 1 2 3 | closed  | tab 2"},
        {Qt::Key_W, Ctrl, "open 1 3 | closed 2 | tab 3"},
        {Qt::Key_F4, Ctrl, "open 1 | closed 2 3 | tab 1"},
        {Qt::Key_W, Ctrl, "open  | closed 2 3 1 | tab 0"},
        {Qt::Key_W, Ctrl, "open  | closed 2 3 1 | tab 0"}, // tab 0 stays
    };
    int row = 0;
    for (const auto &[key, modifiers, expected] : rows) {
        press(key, modifiers);
        EXPECT_EQ(tabs(), expected) << "row " << row;
        if (++row <= 5)
            expectOnlySelected(w().CurrentTab, row); // each walk raises SelectTab, as a click does
    }
}

TEST_F(TabKeys, PageKeysReachTheSelectedPageOnlyAndEscapeOnlyWhileItLoads)
{
    FakeBrowser &page = browser(3);
    for (auto [key, modifier] : {std::pair(Qt::Key_F5, Qt::NoModifier),
                                 {Qt::Key_R, Qt::ControlModifier},
                                 {Qt::Key_Left, Qt::AltModifier},
                                 {Qt::Key_Right, Qt::AltModifier}})
        press(key, modifier);
    ASSERT_TRUE(page.Busy()); // still loading the address it was opened with
    press(Qt::Key_Escape);
    EXPECT_EQ(page.calls, (QStringList{"Refresh", "Refresh", "GoBack", "GoForward", "Stop"}));
    page.completeLoad(QStringLiteral("Loaded"));
    page.calls.clear();
    press(Qt::Key_Escape); // loaded, Escape is the page's again
    EXPECT_TRUE(page.calls.isEmpty());

    const std::tuple<int, Qt::KeyboardModifiers, double> zoom[] = {
        {Qt::Key_Equal, Qt::ControlModifier, 1.1},
        {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, 1.25},
        {Qt::Key_Minus, Qt::ControlModifier, 1.1},
        {Qt::Key_0, Qt::ControlModifier, 1.0}};
    for (const auto &[key, modifiers, factor] : zoom) {
        press(key, modifiers);
        EXPECT_DOUBLE_EQ(page.zoomFactor(), factor) << "key " << key;
        EXPECT_DOUBLE_EQ(browser(1).zoomFactor(), 1.0) << "zoom is the tab's own";
    }
    EXPECT_TRUE(browser(1).calls.isEmpty());
}

// F3 without a search asks the host for its find form; the search runs in
// the selected tab and ends, its marks cleared, when that tab is left,
// navigates or closes, and not when another tab navigates.
TEST_F(TabKeys, FindRunsInTheSelectedTabUntilThatTabStopsBeingTheOneShown)
{
    int requested = 0, ended = 0;
    w().events.FindRequested = [&] { ++requested; };
    w().events.FindEnded = [&] { ++ended; };
    press(Qt::Key_F3);
    EXPECT_EQ(requested, 1);
    w().findInPage(QStringLiteral("word"), false);
    press(Qt::Key_F3);
    press(Qt::Key_F3, Qt::ShiftModifier);
    press(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(browser(3).calls, (QStringList{"Find word", "Find word", "Find word backward", "Print"}));
    const std::tuple<const char *, std::function<void()>, bool> ways[] = {
        {"another tab navigates", [&] { browser(1).completeLoad(QStringLiteral("x")); }, false},
        {"its page navigates", [&] { browser(w().CurrentTab).completeLoad(QStringLiteral("x")); }, true},
        {"its tab closes", [&] { press(Qt::Key_W, Qt::ControlModifier); }, true},
        {"another tab selected", [&] { press(Qt::Key_Tab, Qt::ControlModifier); }, true}};
    for (const auto &[way, act, ends] : ways) {
        const int16_t tab = w().CurrentTab;
        w().findInPage(QStringLiteral("word"), false);
        browser(tab).calls.clear();
        ended = 0;
        act();
        EXPECT_EQ(ended, ends ? 1 : 0) << way;
        EXPECT_EQ(browser(tab).calls.contains("Find clear"), ends) << way;
        w().endFind();
    }
}

TEST(ZoomSteps, FollowTheLevelsAndStopAtTheirEnds)
{
    const std::tuple<double, int, double> rows[] = {
        {1.0, +1, 1.1},  {1.0, -1, 0.9},  {1.1, +1, 1.25}, {0.9, -1, 0.8}, {5.0, +1, 5.0}, {0.25, -1, 0.25},
        {1.05, +1, 1.1}, {1.05, -1, 1.0}, {7.0, +1, 7.0},  {0.1, -1, 0.1}, {7.0, -1, 5.0}, {0.1, +1, 0.25}};
    for (const auto &[from, direction, to] : rows)
        EXPECT_DOUBLE_EQ(wbcontrol::nextZoom(from, direction), to) << from << " " << direction;
}

} // namespace
