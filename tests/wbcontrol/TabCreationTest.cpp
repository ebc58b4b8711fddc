// Opening tabs: the index chosen, what is loaded or reused, where it goes.
#include "TabFixture.h"

using namespace tk;

namespace {

using Creation = TabFixture;

TEST_F(Creation, TheFirstTabIsLoadedPlacedNextToTabZeroAndSelected)
{
    w().Move(0, 0, 4000, 5000);
    EXPECT_EQ(w().NewWindow(QStringLiteral("bare words")), 1);
    EXPECT_EQ(browser(1).navigations, QStringList{"bare words"}) << "handed on unchanged";
    EXPECT_EQ(tabs(), "open 1 | closed  | tab 1");
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(geometry(w().MTab(1)), "2000 0 2000 420") << "laid out with the new tab in";
    EXPECT_EQ(geometry(w().WB(1)), "-20 -20 4040 4560");
    EXPECT_EQ(w().WB(1).Container(), &w().WBCnt(1));
    expectOnlySelected(1);
    EXPECT_EQ(w().TIcon(1).picture(), w().Icon1.picture());
    EXPECT_EQ(closeButtonOf(1), 0);
    EXPECT_EQ(w().Tstr(1).Caption(), QString()) << "not tab 0's caption";
}

TEST_F(Creation, ClosedTabsAreReusedOldestFirstWithoutLoadingAnything)
{
    w().Move(0, 0, 6000, 5000);
    open(3);
    w().Tcbt(2).events.MouseDown(kLeftButton, 0, 0, 0);
    browser(2).fireWindowClosing(false);
    ASSERT_EQ(tabs(), "open 1 3 | closed 2 | tab 3");
    ASSERT_EQ(closeButtonOf(2), 2);
    const int loaded = w().MTab.count();

    EXPECT_EQ(w().NewWindow(QStringLiteral("again")), 2);
    EXPECT_EQ(tabs(), "open 1 3 2 | closed  | tab 2");
    EXPECT_EQ(w().MTab.count(), loaded);
    EXPECT_EQ(w().WB.count(), loaded);
    EXPECT_EQ(closeButtonOf(2), 0);
    EXPECT_EQ(browser(2).navigations.last(), "again");
    EXPECT_TRUE(w().MTab(2).Visible());

    browser(3).fireWindowClosing(false);
    browser(1).fireWindowClosing(false);
    EXPECT_EQ(w().NewWindow(QStringLiteral("a")), 3);
    EXPECT_EQ(w().NewWindow(QStringLiteral("b")), 1);
    EXPECT_EQ(open(), 4) << "then one past the largest open index";
    EXPECT_EQ(tabs(), "open 2 3 1 4 | closed  | tab 4");
}

// Whatever opened or closed a tab, every open tab lies on the strip at the
// shared width; a tab opened shows no title until its page reports its own.
TEST_F(Creation, EveryOpenAndCloseLaysTheStripOutAndANewTabShowsNoOldTitle)
{
    // Steps (o: open, cN: close tab N with its button, sN: select tab N), then the strip and tabs.
    const struct {
        const char *steps, *strip, *tabs;
    } rows[] = {
        {"o", "0 2700", "open 1 | closed  | tab 1"},
        {"o o o o o c5 o", "0 2000 4000 6000 8000 10000", "open 1 2 3 4 5 | closed  | tab 5"},
        {"o o o c3 c2 c1 o", "0 2700", "open 3 | closed 2 1 | tab 3"},
        {"o o o c1 o", "0 2700 5400 8100", "open 2 3 1 | closed  | tab 1"},
        {"o o o o c2", "0 2700 5400 8100", "open 1 3 4 | closed 2 | tab 4"},
        {"o o o o o o o s2 c2 c3", "0 2000 4000 6000 8000 10000", "open 1 4 5 6 7 | closed 2 3 | tab 7"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.steps);
        make();
        w().Move(0, 0, 12000, 5000);
        browser(0).fireTitleChange(QStringLiteral("Start page"));
        for (const QString &step : QString::fromLatin1(r.steps).split(' ')) {
            const auto tab = int16_t(step.mid(1).toInt());
            if (step == "o") {
                const int16_t n = open();
                EXPECT_EQ(w().tabs().title(n), QString()) << "tab " << n;
                EXPECT_EQ(w().Tstr(n).Caption(), QString()) << "tab " << n;
                browser(n).fireTitleChange(QStringLiteral("Page %1").arg(n));
            } else if (step.startsWith('c')) {
                w().Tcbt(tab).events.MouseUp(kLeftButton, 0, 0, 0);
            } else {
                w().MTab(tab).events.MouseDown(kLeftButton, 0, 0, 0);
            }
        }
        EXPECT_EQ(strip(), r.strip);
        EXPECT_EQ(tabs(), r.tabs);
        for (int16_t i : openTabs())
            EXPECT_EQ(w().MTab(i).Width(), w().MTab(0).Width()) << "tab " << i;
    }
}

TEST_F(Creation, WhenABrowserCannotBeMadeNothingOpensAndALaterTryCompletesTheTab)
{
    make(2); // tab 0 and tab 1 get browsers, then none
    w().Move(0, 0, 6000, 5000);
    open();
    selections = 0;
    EXPECT_EQ(w().NewWindow(QStringLiteral("x")), std::nullopt);
    bool cancel = true; // a page asking for a window now is refused, not given another tab
    EXPECT_EQ(browser(1).fireNewWindow2(&cancel), nullptr);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(tabs(), "open 1 | closed  | tab 1");
    expectOnlySelected(1);
    EXPECT_EQ(selections, 0);

    FakeBrowser::install();
    EXPECT_EQ(w().NewWindow(QStringLiteral("y")), 2);
    EXPECT_EQ(tabs(), "open 1 2 | closed  | tab 2");
    EXPECT_EQ(browser(2).navigations, QStringList{"y"});
    expectOnlySelected(2);
    EXPECT_EQ(w().bgLeft(2).Container(), &w().MTab(2));
    EXPECT_EQ(strip(), "0 2000 4000");
}

TEST_F(Creation, APageAskingForANewWindowGetsTheTabJustOpened)
{
    w().Move(0, 0, 6000, 5000);
    open(2);
    browser(1).fireWindowClosing(false);
    bool cancel = true;
    EXPECT_EQ(browser(2).fireNewWindow2(&cancel), &browser(1)) << "the closed tab, reused";
    EXPECT_FALSE(cancel);
    EXPECT_EQ(tabs(), "open 2 1 | closed  | tab 1");
    EXPECT_EQ(browser(1).navigations.last(), "About:Blank");
    WebBrowser *handedBack = browser(1).fireNewWindow2();
    EXPECT_EQ(handedBack, &browser(3)) << "a new one at the right end";
    EXPECT_EQ(tabs(), "open 2 1 3 | closed  | tab 3");
}

} // namespace
