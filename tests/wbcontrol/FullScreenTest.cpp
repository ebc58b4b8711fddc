// Full screen on the fake browser: only the selected tab's page may take the
// screen, and every way out puts the page back where it was in its tab.

#include "TabFixture.h"
#include "Wait.h"

#include <QApplication>
#include <QTest>

namespace {

class FullScreen : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        w().Move(0, 0, 12000, 9000);
        open(2); // tabs 1 and 2, 2 selected
    }

    // Where the browser of tab i is, in twips, and which widget holds it.
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

    void expectBackInTab(int16_t i, const std::string &place, QWidget *fullScreenWindow)
    {
        EXPECT_EQ(w().fullScreenTab(), std::nullopt);
        EXPECT_EQ(placeOf(i), place);
        EXPECT_FALSE(fullScreenWindow->isVisible());
        EXPECT_EQ(browser(i).fullScreenExits, 1) << "the page is told it left";
    }
};

TEST_F(FullScreen, TheSelectedTabsPageFillsTheScreenAndLeavingPutsItBackAsItWas)
{
    const std::string place = placeOf(2);
    ASSERT_EQ(place.substr(place.size() - 6), "in tab");
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    EXPECT_EQ(w().fullScreenTab(), std::optional<int16_t>(2));
    QWidget *full = windowOf(2);
    EXPECT_NE(full, w().WBCnt(2).peer()->window());
    EXPECT_TRUE(full->isFullScreen());
    EXPECT_EQ(w().WB(2).peer()->geometry(), full->rect()) << "the page alone, over all of it";
    EXPECT_EQ(browser(2).fullScreenExits, 0);

    // A second request while full screen changes nothing.
    EXPECT_TRUE(browser(2).fireFullScreenRequested(true));
    EXPECT_EQ(windowOf(2), full);
    // A load ending or the control resizing meanwhile leaves the page over the screen.
    browser(2).completeLoad(QStringLiteral("Loaded"));
    w().Move(0, 0, 12000, 9000);
    EXPECT_EQ(w().WB(2).peer()->geometry(), full->rect());

    browser(2).fireFullScreenRequested(false);
    // The page's own leaving request needs no answer of ours. It goes back
    // where the tab puts a loaded page.
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
    browser(1).completeLoad(QStringLiteral("Other"));
    const std::string loaded = placeOf(2);
    EXPECT_EQ(loaded.substr(loaded.size() - 6), "in tab");
    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(2).fireFullScreenRequested(false);
    EXPECT_EQ(placeOf(2), loaded);
    EXPECT_FALSE(full->isVisible());
    EXPECT_EQ(tabs(), "open 1 2 | closed  | tab 2");
    expectOnlySelected(2);
}

TEST_F(FullScreen, ARequestFromATabNotSelectedIsRefusedAndLeavingRequestsOfOthersAreIgnored)
{
    const std::string place = placeOf(1);
    EXPECT_FALSE(browser(1).fireFullScreenRequested(true));
    EXPECT_FALSE(browser(0).fireFullScreenRequested(true));
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
    EXPECT_EQ(placeOf(1), place);

    ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
    browser(1).fireFullScreenRequested(false);
    EXPECT_EQ(w().fullScreenTab(), std::optional<int16_t>(2));
    w().LeaveFullScreen();
    EXPECT_EQ(w().fullScreenTab(), std::nullopt);
}

TEST_F(FullScreen, EscapeSelectingClosingAndTheWindowClosingEachLeaveFirst)
{
    const std::string place = placeOf(2);
    {
        ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
        QWidget *full = windowOf(2);
        QApplication::setActiveWindow(full);
        w().WB(2).SetFocus();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : full, Qt::Key_Escape);
        expectBackInTab(2, place, full);
    }
    {
        ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
        QWidget *full = windowOf(2);
        w().MTab(1).events.MouseDown(tk::kLeftButton, 0, 0, 0);
        EXPECT_EQ(w().fullScreenTab(), std::nullopt);
        EXPECT_EQ(placeOf(2), place);
        EXPECT_FALSE(full->isVisible());
        EXPECT_EQ(browser(2).fullScreenExits, 2);
        expectOnlySelected(1);
    }
    {
        ASSERT_TRUE(browser(1).fireFullScreenRequested(true));
        const std::string place1 = placeOf(1);
        browser(1).fireWindowClosing(false);
        EXPECT_EQ(w().fullScreenTab(), std::nullopt);
        EXPECT_EQ(browser(1).fullScreenExits, 1);
        EXPECT_EQ(tabs(), "open 2 | closed 1 | tab 2");
        EXPECT_EQ(w().WB(1).peer()->parentWidget(), w().WBCnt(1).clientWidget());
        EXPECT_TRUE(browser(1).discarded) << "a closed tab's page is given back";
    }
    {
        ASSERT_TRUE(browser(2).fireFullScreenRequested(true));
        QWidget *full = windowOf(2);
        full->close(); // as the window manager would
        ASSERT_TRUE(waitFor([&] { return !w().fullScreenTab(); }, 5000));
        EXPECT_EQ(placeOf(2), place);
        EXPECT_EQ(browser(2).fullScreenExits, 3);
    }
    // Escape is the page's again.
    QTest::keyClick(w().WB(2).peer(), Qt::Key_Escape);
    EXPECT_EQ(browser(2).fullScreenExits, 3);
}

TEST_F(FullScreen, AReusedTabLoadsItsAddressAfterItsPageWasGivenBack)
{
    browser(2).fireWindowClosing(false);
    ASSERT_TRUE(browser(2).discarded);
    ASSERT_EQ(w().NewWindow(QStringLiteral("http://example.test/again")), std::optional<int16_t>(2));
    EXPECT_FALSE(browser(2).discarded);
    EXPECT_EQ(browser(2).navigations.last(), "http://example.test/again");
}

} // namespace
