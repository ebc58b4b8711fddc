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
        const tk::BrowserControl &b = w().WB(i);
        const bool inTab = b.peer()->parentWidget() == w().WBCnt(i).clientWidget();
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(b.Left())
            .arg(b.Top())
            .arg(b.Width())
            .arg(b.Height())
            .arg(inTab ? "in tab" : "elsewhere")
            .toStdString();
    }
    QWidget *windowOf(int16_t i) { return w().WB(i).peer()->window(); }
};

TEST_F(FullScreen, TheSelectedTabsPageFillsTheScreenAndLeavingPutsItBackAsItWas)
{
    // Only the selected tab's page may: the others are refused and stay in their tabs.
    const std::string place = placeOf(1);
    EXPECT_FALSE(browser(1).fireFullScreenRequested(true));
    EXPECT_FALSE(browser(0).fireFullScreenRequested(true));
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
    EXPECT_EQ(placeOf(1), place);
    ASSERT_TRUE(placeOf(2).ends_with("in tab"));
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    EXPECT_EQ(w().fullScreenTab(), std::optional<int16_t>(2));
    QWidget *full = windowOf(2);
    EXPECT_NE(full, w().WBCnt(2).peer()->window());
    EXPECT_TRUE(full->isFullScreen());
    EXPECT_EQ(w().WB(2).peer()->geometry(), full->rect()) << "the page alone, over all of it";
    EXPECT_EQ(browser(2).fullScreenExits, 0);

    // A second request, another page's leaving request, a load ending or the control resizing meanwhile
    // leave the page over the screen.
    EXPECT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(1).fireFullScreenRequested(false);
    EXPECT_EQ(windowOf(2), full);
    EXPECT_EQ(w().fullScreenTab(), std::optional<int16_t>(2));
    browser(2).completeLoad(QStringLiteral("Loaded"));
    w().Move(0, 0, 12000, 9000);
    EXPECT_EQ(w().WB(2).peer()->geometry(), full->rect());

    // The page's own leaving request needs no answer of ours; it goes back where the tab puts a loaded page.
    browser(2).fireFullScreenRequested(false);
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
    browser(1).completeLoad(QStringLiteral("Other"));
    const std::string loaded = placeOf(2);
    EXPECT_TRUE(loaded.ends_with("in tab"));
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(2).fireFullScreenRequested(false);
    EXPECT_EQ(placeOf(2), loaded);
    EXPECT_FALSE(full->isVisible());
    EXPECT_EQ(tabs(), "open 1 2 | closed  | tab 2");
    expectOnlySelected(2);
}

TEST_F(FullScreen, EscapeSelectingClosingAndTheWindowClosingEachLeaveFirst)
{
    struct Way {
        const char *name;
        int16_t tab;
        std::function<void(QWidget *full)> out;
        const char *after;
    };
    const Way ways[] = {
        {"Escape", 2,
         [&](QWidget *full) {
             QApplication::setActiveWindow(full);
             w().WB(2).SetFocus();
             QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : full,
                             Qt::Key_Escape);
         },
         "open 1 2 | closed  | tab 2"},
        {"selecting", 2, [&](QWidget *) { w().MTab(1).events.MouseDown(tk::kLeftButton, 0, 0, 0); },
         "open 1 2 | closed  | tab 1"},
        {"the page closing", 1, [&](QWidget *) { browser(1).fireWindowClosing(false); },
         "open 2 | closed 1 | tab 2"},
        {"the window closing", 2, [](QWidget *full) { full->close(); }, "open 2 | closed 1 | tab 2"},
    };
    const std::string place = placeOf(2);
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        const std::string before = placeOf(way.tab);
        const int exits = browser(way.tab).fullScreenExits;
        ASSERT_TRUE(browser(way.tab).fireFullScreenRequested(true));
        QWidget *full = windowOf(way.tab);
        way.out(full);
        ASSERT_TRUE(waitFor([&] { return !w().fullScreenTab(); }));
        EXPECT_EQ(browser(way.tab).fullScreenExits, exits + 1) << "the page is told it left";
        EXPECT_FALSE(full->isVisible());
        EXPECT_EQ(tabs(), way.after);
        expectOnlySelected(w().CurrentTab);
        if (way.tab == 2)
            EXPECT_EQ(placeOf(2), place);
        else
            EXPECT_TRUE(placeOf(1).ends_with("in tab"));
    }
    EXPECT_TRUE(browser(1).discarded) << "a closed tab's page is given back";
    // Escape is the page's again.
    QTest::keyClick(w().WB(2).peer(), Qt::Key_Escape);
    EXPECT_EQ(browser(2).fullScreenExits, 3);
}

} // namespace
