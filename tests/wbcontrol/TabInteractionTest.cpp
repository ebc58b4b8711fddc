// Selecting, hovering and closing tabs with the mouse.
#include "TabFixture.h"
#include "win32/Win32.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <QWindow>

using namespace tk;

namespace {

// Four tabs of 1500 twips (100 pixels) on a 6000 × 5000 control; tab 3 selected.
class Strip : public TabFixture {
protected:
    void SetUp() override { fourTabs(); }
    void fourTabs()
    {
        make();
        w().Move(0, 0, 6000, 5000);
        open(3);
        selections = 0;
    }
    void TearDown() override { ReleaseCapture(); }
    // Real pointer input through the window, so that capture is honoured.
    QWindow *show()
    {
        w().peer()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w().peer()));
        return w().peer()->windowHandle();
    }
    // A window point (pixels) at x, y inside tab i.
    QPoint in(int16_t i, int x, int y) { return QPoint(int(w().MTab(i).Left()) / 15 + x, y); }
    static QWidget *grabber() { return QWidget::mouseGrabber(); }
    void closeWithButton(int16_t i) { w().Tcbt(i).events.MouseUp(kLeftButton, 0, 0, 0); }
};

using Selection = Strip;
using Hover = Strip;
using Closing = Strip;

TEST_F(Selection, OnlyALeftPressOrLeftDragSelectsATabAndShowsOnlyItsPageAndCloseButton)
{
    expectOnlySelected(3);
    w().bgCenter(1).events.MouseDown(kLeftButton, 0, 500, 200);
    expectOnlySelected(1);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(geometry(w().WBCnt(1)), "0 480 6000 4520");
    // Tab 0 never shows a close button.
    w().TIcon(0).events.MouseDown(kLeftButton, 0, 10, 10);
    expectOnlySelected(0);
    w().Tstr(2).events.MouseDown(kLeftButton, 0, 10, 10);
    expectOnlySelected(2);
    EXPECT_EQ(selections, 3);

    // Pressing the selected tab only raises SelectTab; other buttons do nothing.
    w().MTab(3).setLeft(12345); // would move back with a layout
    w().MTab(2).events.MouseDown(kLeftButton, 0, 0, 0);
    EXPECT_EQ(selections, 4);
    EXPECT_EQ(w().MTab(3).Left(), 12345);
    for (int16_t button : {kRightButton, kMiddleButton})
        w().bgLeft(1).events.MouseDown(button, 0, 10, 10);
    expectOnlySelected(2);
    EXPECT_EQ(selections, 4);
    w().MTab(3).setLeft(4500);

    // Moving over a tab's skin with only the left button held selects it.
    w().bgRight(1).events.MouseMove(0, 0, 10, 10);
    w().bgRight(1).events.MouseMove(kLeftButton | kRightButton, 0, 10, 10);
    expectOnlySelected(2);
    w().bgRight(1).events.MouseMove(kLeftButton, 0, 10, 10);
    w().bgCenter(1).events.MouseMove(kLeftButton, 0, 20, 10);
    expectOnlySelected(1);
    EXPECT_EQ(selections, 6) << "SelectTab at every movement";
}

TEST_F(Hover, AnUnselectedTabLightsUpUnderThePointerUntilItLeavesOrIsClicked)
{
    QWindow *window = show();
    QTest::mouseMove(window, in(1, 12, 14)); // the icon
    EXPECT_EQ(skinOf(1), 2);
    EXPECT_EQ(grabber(), w().MTab(1).peer());
    QTest::mouseMove(window, in(1, 50, 25)); // its skin, heard by the captured body
    EXPECT_EQ(skinOf(1), 2);
    QTest::mouseMove(window, in(2, 50, 25)); // the next tab
    EXPECT_EQ(skinOf(1), 1);
    EXPECT_EQ(grabber(), nullptr);
    QTest::mouseMove(window, in(2, 55, 25));
    EXPECT_EQ(skinOf(2), 1) << "the skin alone does not light a tab up";
    QTest::mouseMove(window, in(3, 12, 14));
    EXPECT_EQ(skinOf(3), 0) << "the selected tab never changes";
    EXPECT_EQ(grabber(), nullptr);
    EXPECT_EQ(selections, 0);

    // A click on a lit tab selects it and lets the pointer go to the next tab clicked.
    QTest::mouseMove(window, in(1, 12, 14));
    QTest::mouseClick(window, Qt::LeftButton, {}, in(1, 12, 14));
    expectOnlySelected(1);
    EXPECT_EQ(grabber(), nullptr);
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
    EXPECT_EQ(items(w().List1), "1 2 3") << "released off the button";
    EXPECT_EQ(grabber(), nullptr);

    QTest::mouseMove(window, button);
    QTest::mouseClick(window, Qt::RightButton, {}, button);
    EXPECT_EQ(items(w().List1), "1 2 3") << "not with the right button";
    QTest::mousePress(window, Qt::LeftButton, {}, button);
    QTest::mouseMove(window, button + QPoint(1, 1));
    EXPECT_EQ(closeButtonOf(3), 2);
    QTest::mouseRelease(window, Qt::LeftButton, {}, button + QPoint(1, 1));
    EXPECT_EQ(tabs(), "open 1 2 | closed 3 | tab 2");
    expectOnlySelected(2);
    EXPECT_EQ(grabber(), nullptr);
    EXPECT_EQ(closeButtonOf(3), 2) << "until the tab is opened again";
    EXPECT_EQ(w().NewWindow(QStringLiteral("x")), 3);
    EXPECT_EQ(closeButtonOf(3), 0);
}

TEST_F(Closing, AClosedTabIsKeptForReuseAndTheRightmostOrItsNeighbourIsSelected)
{
    // Selected, closed, then the tabs, SelectTabs raised (closing the rightmost selects twice).
    const struct {
        int16_t selected, closed;
        const char *after;
        int selections;
    } rows[] = {{1, 1, "open 2 3 | closed 1 | tab 3", 2},
                {3, 1, "open 2 3 | closed 1 | tab 3", 1},
                {3, 3, "open 1 2 | closed 3 | tab 2", 2}};
    for (const auto &r : rows) {
        SCOPED_TRACE(testing::Message()
                     << "tab " << r.closed << " closed with " << r.selected << " selected");
        fourTabs();
        if (r.selected != 3)
            w().MTab(r.selected).events.MouseDown(kLeftButton, 0, 0, 0);
        closeWithButton(r.closed);
        EXPECT_EQ(tabs(), r.after);
        expectOnlySelected(w().CurrentTab);
        EXPECT_EQ(selections, r.selections);
        EXPECT_FALSE(w().MTab(r.closed).Visible());
        EXPECT_EQ(browser(r.closed).navigations.last(), "About:Blank");
        EXPECT_EQ(strip(), "0 2000 4000");
    }
    closeWithButton(1);
    closeWithButton(2);
    EXPECT_EQ(tabs(), "open  | closed 3 1 2 | tab 0");
    expectOnlySelected(0);
    EXPECT_EQ(strip(), "0");
}

TEST_F(Closing, RequestsToCloseTabZeroOrATabNotOpenChangeNothing)
{
    closeWithButton(2);
    selections = 0;
    const QStringList tab0Navigations = browser(0).navigations;
    for (int16_t i : {0, 2}) {
        EXPECT_TRUE(browser(i).fireWindowClosing(false)) << "the component never closes itself";
        closeWithButton(i);
    }
    EXPECT_EQ(tabs(), "open 1 3 | closed 2 | tab 3");
    EXPECT_EQ(strip(), "0 2000 4000");
    EXPECT_EQ(selections, 0);
    // With one other tab left, or none, tab 0 stays too and loses no tab.
    for (int16_t other : {1, 3}) {
        closeWithButton(other);
        browser(0).fireWindowClosing(false);
    }
    EXPECT_EQ(tabs(), "open  | closed 2 1 3 | tab 0");
    expectOnlySelected(0);
    EXPECT_TRUE(w().MTab(0).Visible());
    EXPECT_EQ(browser(0).navigations, tab0Navigations);
}

// File managers send a file's path as text beside the file itself.
TEST_F(Strip, FilesDroppedWithTheirPathsAsTextOpenNothing)
{
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.html"))});
    files.setText(QStringLiteral("/tmp/a.html"));
    DataObject data(&files);
    int32_t effect = 1;
    w().TIcon(1).events.OLEDragDrop(data, effect, kLeftButton, 0, 0, 0);
    EXPECT_EQ(browser(1).navigations, QStringList{"http://example.test/0"});
    EXPECT_EQ(effect, 0);
    expectOnlySelected(3);
}

} // namespace
