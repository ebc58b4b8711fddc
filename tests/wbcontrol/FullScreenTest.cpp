// Full screen on the fake browser: only the selected tab's page may take the
// screen, and every way out puts the page back where it was in its tab.
#include "TabFixture.h"
#include "Wait.h"

#include <QApplication>

namespace {

class FullScreen : public TabFixture {
protected:
    void SetUp() override { make(12000, 2, 9000); } // tabs 1 and 2, 2 selected

    // Where the browser of tab i is, in twips, and whether its tab holds it.
    std::string placeOf(int16_t i)
    {
        const bool inTab = c().WB(i).peer()->parentWidget() == c().WBCnt(i).clientWidget();
        return geometry(c().WB(i)) + (inTab ? " in tab" : " elsewhere");
    }
    QWidget *windowOf(int16_t i) { return c().WB(i).peer()->window(); }
};

TEST_F(FullScreen, TheSelectedTabsPageFillsTheScreenAndLeavingPutsItBackAsItWas)
{
    // Only the selected tab's page may: the others are refused and stay in their tabs.
    const std::string place = placeOf(1);
    EXPECT_EQ((std::tuple{browser(1).fireFullScreenRequested(true), browser(0).fireFullScreenRequested(true),
                          w().fullScreenTab(), placeOf(1)}),
              std::tuple(false, false, std::optional<int16_t>(), place));
    ASSERT_TRUE(placeOf(2).ends_with("in tab"));
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    // The page alone in a window of its own, over all of it, and not told to leave.
    QWidget *full = windowOf(2);
    EXPECT_EQ(std::tuple(w().fullScreenTab(), full != c().WBCnt(2).peer()->window(), full->isFullScreen(),
                         c().WB(2).peer()->geometry() == full->rect(), browser(2).fullScreenExits),
              std::tuple(std::optional<int16_t>(2), true, true, true, 0));

    // A second request, another page's leaving request, a load ending or the control resizing meanwhile
    // leave the page over the screen.
    EXPECT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(1).fireFullScreenRequested(false);
    EXPECT_EQ(std::tuple(windowOf(2), w().fullScreenTab()), std::tuple(full, std::optional<int16_t>(2)));
    browser(2).completeLoad(QStringLiteral("Loaded"));
    w().Move(0, 0, 12000, 9000);
    EXPECT_EQ(c().WB(2).peer()->geometry(), full->rect());

    // The page's own leaving request needs no answer of ours; it goes back where the tab puts a loaded page.
    browser(2).fireFullScreenRequested(false);
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
    browser(1).completeLoad(QStringLiteral("Other"));
    const std::string loaded = placeOf(2);
    EXPECT_TRUE(loaded.ends_with("in tab"));
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(2).fireFullScreenRequested(false);
    EXPECT_EQ(placeOf(2) + (full->isVisible() ? " still shown " : " ") + tabs(),
              loaded + " open 1 2 | closed  | tab 2");
    expectOnlySelected(2);
}

TEST_F(FullScreen, EscapeSelectingClosingAndTheWindowClosingEachLeaveFirst)
{
    // The way out, the tab whose page fills the screen, what is done, and the tabs after.
    const std::tuple<const char *, int16_t, std::function<void(QWidget * full)>, const char *> ways[] = {
        {"Escape", 2,
         [&](QWidget *full) {
             QApplication::setActiveWindow(full);
             c().WB(2).SetFocus();
             QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : full,
                             Qt::Key_Escape);
         },
         "open 1 2 | closed  | tab 2"},
        {"selecting", 2, [&](QWidget *) { c().MTab(1).events.MouseDown(tk::kLeftButton, 0, 0, 0); },
         "open 1 2 | closed  | tab 1"},
        {"the page closing", 1, [&](QWidget *) { browser(1).fireWindowClosing(false); },
         "open 2 | closed 1 | tab 2"},
        {"the window closing", 2, [](QWidget *full) { full->close(); }, "open 2 | closed 1 | tab 2"}};
    const std::string place = placeOf(2);
    for (const auto &[way, tab, out, after] : ways) {
        SCOPED_TRACE(way);
        const int exits = browser(tab).fullScreenExits;
        ASSERT_TRUE(browser(tab).fireFullScreenRequested(true));
        QWidget *full = windowOf(tab);
        out(full);
        ASSERT_TRUE(waitFor([&] { return !w().fullScreenTab(); }));
        // The page is told it left, and is back in its tab (tab 2 where it was).
        EXPECT_EQ(std::tuple(browser(tab).fullScreenExits - exits, full->isVisible(), tabs()),
                  std::tuple(1, false, std::string(after)));
        expectOnlySelected(w().CurrentTab);
        EXPECT_TRUE(tab == 2 ? placeOf(2) == place : placeOf(1).ends_with("in tab")) << placeOf(tab);
    }
    EXPECT_TRUE(browser(1).discarded) << "a closed tab's page is given back";
    // Escape is the page's again.
    QTest::keyClick(c().WB(2).peer(), Qt::Key_Escape);
    EXPECT_EQ(browser(2).fullScreenExits, 3);
}

} // namespace
