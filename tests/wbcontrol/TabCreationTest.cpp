// Opening and closing tabs: what the controls show after each, and what is
// loaded, reused and given back.
#include "TabFixture.h"

using namespace tk;

namespace {

using Creation = TabFixture;

// Steps: o opens a tab, cN closes tab N with its button, wN is tab N's page
// closing itself, sN selects tab N. Then the strip's left edges, the tabs,
// the SelectTab events raised and the tabs made in all.
TEST_F(Creation, EveryOpenAndCloseLaysTheStripOutShowsOnlyTheSelectedTabAndReusesClosedOnes)
{
    const std::tuple<const char *, const char *, const char *, int, int> rows[] = {
        {"o", "0 2700", "open 1 | closed  | tab 1", 1, 2},
        {"o o o o o c5 o", "0 2000 4000 6000 8000 10000", "open 1 2 3 4 5 | closed  | tab 5", 8, 6},
        {"o o o c1 o", "0 2700 5400 8100", "open 2 3 1 | closed  | tab 1", 5, 4},
        // The selected tab closed selects the rightmost; a page closing itself closes its tab.
        {"o o o s1 w1", "0 2700 5400", "open 2 3 | closed 1 | tab 3", 5, 4},
        // Tab 0, a closed tab or one never made close nothing.
        {"o o c0 w0 c2 c2 w2 w9", "0 2700", "open 1 | closed 2 | tab 1", 4, 3},
        {"o w1 w0", "0", "open  | closed 1 | tab 0", 2, 2},
    };
    for (const auto &[steps, edges, after, raised, made] : rows) {
        SCOPED_TRACE(steps);
        make(12000);
        browser(0).fireTitleChange(QStringLiteral("Start page"));
        const QStringList tab0Navigations = browser(0).navigations;
        for (const QString &step : QString::fromLatin1(steps).split(' ')) {
            const auto tab = int16_t(step.mid(1).toInt());
            if (step == "o") {
                // Fresh, even when reused: no title or caption, the close button at rest, the tab's icon,
                // the page in the tab, kept and loaded.
                const int16_t n = open();
                EXPECT_EQ(
                    std::tuple(w().tabs().title(n) + c().Tstr(n).Caption(), closeButtonOf(n),
                               c().TIcon(n).picture() == w().Icon1.picture(),
                               c().WB(n).Container() == &c().WBCnt(n), browser(n).discarded,
                               browser(n).navigations.last()),
                    std::tuple(QString(), 0, true, true, false, QStringLiteral("http://example.test/0")))
                    << "tab " << n;
                browser(n).fireTitleChange(QStringLiteral("Page %1").arg(n));
            } else if (step.startsWith('c') && c().Tcbt.exists(tab)) {
                c().Tcbt(tab).events.MouseDown(kLeftButton, 0, 0, 0);
                c().Tcbt(tab).events.MouseUp(kLeftButton, 0, 0, 0);
            } else if (step.startsWith('w') && c().WB.exists(tab)) {
                EXPECT_TRUE(browser(tab).fireWindowClosing(false)) << "the component never closes itself";
            } else if (step.startsWith('s')) {
                c().MTab(tab).events.MouseDown(kLeftButton, 0, 0, 0);
            }
        }
        EXPECT_EQ(strip() + " | " + tabs(), std::string(edges) + " | " + after);
        EXPECT_EQ(std::tuple(selections, c().MTab.count(), c().WB.count()), std::tuple(raised, made, made));
        expectOnlySelected(w().CurrentTab);
        for (int16_t i : openTabs())
            EXPECT_EQ(c().MTab(i).Width(), c().MTab(0).Width()) << "tab " << i;
        for (const QString &item : c().List2.items()) {
            FakeBrowser &closed = browser(int16_t(item.toInt()));
            EXPECT_EQ(closed.navigations.last() + (closed.discarded ? " discarded" : ""),
                      "About:Blank discarded")
                << "tab " << item.toStdString();
        }
        EXPECT_EQ(browser(0).navigations, tab0Navigations);
    }
}

TEST_F(Creation, WhenABrowserCannotBeMadeNothingOpensAndALaterTryCompletesTheTab)
{
    make(6000, 1, 5000, 2); // tab 0 and tab 1 get browsers, then none
    EXPECT_EQ(w().NewWindow(QStringLiteral("x")), std::nullopt);
    bool cancel = true; // a page asking for a window now is refused, not given another tab
    EXPECT_EQ((std::tuple{browser(1).fireNewWindow2(&cancel), cancel, tabs()}),
              std::tuple(nullptr, false, "open 1 | closed  | tab 1"));
    expectOnlySelected(1, 0);

    FakeBrowser::install();
    EXPECT_EQ((std::tuple{w().NewWindow(QStringLiteral("y")), tabs(), browser(2).navigations}),
              std::tuple(std::optional<int16_t>(2), "open 1 2 | closed  | tab 2", QStringList{"y"}));
    expectOnlySelected(2);
    EXPECT_EQ(c().bgLeft(2).Container(), &c().MTab(2));
    EXPECT_EQ(strip(), "0 2000 4000");
}

TEST_F(Creation, APageAskingForANewWindowGetsTheTabJustOpened)
{
    make(6000, 2);
    browser(1).fireWindowClosing(false);
    bool cancel = true;
    EXPECT_EQ((std::tuple{browser(2).fireNewWindow2(&cancel), cancel, tabs()}),
              std::tuple(&browser(1), false, "open 2 1 | closed  | tab 1"))
        << "the closed tab, reused";
    EXPECT_EQ(browser(1).navigations.last(), "About:Blank");
    WebBrowser *handedBack = browser(1).fireNewWindow2();
    EXPECT_EQ(handedBack, &browser(3)) << "a new one at the right end";
    EXPECT_EQ(tabs(), "open 2 1 3 | closed  | tab 3");
}

} // namespace
