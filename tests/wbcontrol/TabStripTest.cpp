// Strip layout and caption fitting. Captions are measured in the caption
// font the test set-up installs: 6 pixels (90 twips) for every Latin
// character and 12 (180 twips) for a Chinese one, 12 pixels high.
#include "TabFixture.h"
#include "Wait.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

using namespace tk;

namespace {

using Layout = TabFixture;
using Captions = TabFixture;

const QString kTwenty = QStringLiteral("abcdefghijklmnopqrst"); // 1800 twips

TEST_F(Layout, TabZeroStartsSelectedOnTheStartPageAt60UntilTheHostSizesIt)
{
    EXPECT_EQ(tabs(), "open  | closed  | tab 0");
    expectOnlySelected(0);
    EXPECT_EQ(browser(0).navigations, QStringList{WBControl::startPage()});
    EXPECT_TRUE(browser(0).Busy());
    EXPECT_EQ(geometry(w().MTab(0)), "60 0 2700 420");
}

TEST_F(Layout, TabsShareTheWidthUpTo2700WithHalvesRoundedToEven)
{
    struct Case {
        float width;
        int opened;
        const char *strip, *centre, *right, *close; // of the last tab
    };
    for (const Case &c : {Case{8000, 0, "0", "120 0 2460 420", "2580 0 120 420", "2415 105 225 210"},
                          Case{6000, 3, "0 1500 3000 4500", "120 0 1260 420", "1380 0 120 420", "1215 105 225 210"},
                          Case{5001, 1, "0 2500", "120 0 2260 420", "2380 0 120 420", "2215 105 225 210"},
                          Case{5003, 1, "0 2502", "120 0 2262 420", "2382 0 120 420", "2217 105 225 210"},
                          // 35000 each is past the 16-bit range.
                          Case{70000, 1, "0 2700", "120 0 2460 420", "2580 0 120 420", "2415 105 225 210"}}) {
        SCOPED_TRACE(c.width);
        make();
        w().Move(0, 0, c.width, 5000);
        const int16_t last = c.opened ? open(c.opened) : 0;
        w().TabResize();
        EXPECT_EQ(strip(), c.strip);
        EXPECT_EQ(geometry(w().bgLeft(last)), "0 0 120 420");
        EXPECT_EQ(geometry(w().bgCenter(last)), c.centre);
        EXPECT_EQ(geometry(w().bgRight(last)), c.right);
        EXPECT_EQ(geometry(w().TIcon(last)), "60 90 240 240");
        EXPECT_EQ(geometry(w().Tcbt(last)), c.close);
    }
}

TEST_F(Layout, TakingTheFocusHandsItToTheSelectedPage)
{
    w().Move(0, 0, 6000, 4000);
    w().peer()->show();
    w().peer()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w().peer()));
    w().SetFocus();
    ASSERT_TRUE(waitFor([&] { return w().WB(0).peer()->hasFocus(); }));

    // A page that closes with the focus hands it to the page selected next,
    // not to the next control that takes the focus.
    QLineEdit elsewhere(w().peer());
    elsewhere.show();
    open(1);
    w().WB(1).SetFocus();
    ASSERT_TRUE(waitFor([&] { return w().WB(1).peer()->hasFocus(); }));
    browser(1).fireWindowClosing(true);
    EXPECT_EQ(w().CurrentTab, 0);
    ASSERT_TRUE(waitFor([&] { return w().WB(0).peer()->hasFocus(); }));
    // So does a page whose tab is left for another one.
    open(1);
    w().WB(1).SetFocus();
    ASSERT_TRUE(waitFor([&] { return w().WB(1).peer()->hasFocus(); }));
    QTest::mouseClick(w().MTab(0).peer(), Qt::LeftButton);
    EXPECT_EQ(w().CurrentTab, 0);
    ASSERT_TRUE(waitFor([&] { return w().WB(0).peer()->hasFocus(); }));
}

TEST_F(Layout, TooManyTabsKeep1000AndRunPastTheRightEdgeAndPast32767)
{
    w().Move(0, 0, 6000, 5000);
    open(40);
    const std::vector<int16_t> tabs = openTabs();
    ASSERT_EQ(tabs.size(), 41u);
    for (size_t p = 0; p < tabs.size(); ++p) {
        EXPECT_EQ(w().MTab(tabs[p]).Left(), 1000.0f * float(p)) << "position " << p;
        EXPECT_EQ(w().bgRight(tabs[p]).Left(), 880) << "position " << p;
    }
}

TEST_F(Captions, FitTheTabWidthAndGrowBackWhenTabsWiden)
{
    w().Move(0, 0, 8000, 5000);
    browser(0).fireTitleChange(kTwenty);
    EXPECT_EQ(w().Tstr(0).Caption(), kTwenty) << "2100 twips of room";
    EXPECT_EQ(geometry(w().Tstr(0)), "320 120 1800 180");

    struct Case {
        float width;
        const char *caption;
        float shown;
    };
    for (const Case &c : {Case{2000, "abcdefghij...", 1170}, Case{1500, "abcdefg...", 900},
                          Case{1000, "a...", 360}, Case{8000, "abcdefghijklmnopqrst", 1800}}) {
        SCOPED_TRACE(c.width);
        w().setWidth(c.width);
        EXPECT_EQ(w().Tstr(0).Caption(), c.caption);
        EXPECT_EQ(w().Tstr(0).Width(), c.shown) << "measured in the font it is shown in";
        EXPECT_EQ(w().MTab(0).Tag(), kTwenty) << "the full title is kept";
    }
}

TEST_F(Captions, ABlankPageInAnyLetterCaseIsCaptionedAsSuch)
{
    w().Move(0, 0, 8000, 5000);
    for (const QString &blank : {QStringLiteral("about:BLANK"), QStringLiteral("About:Blank")}) {
        const int16_t n = w().NewWindow(blank).value();
        browser(n).fireTitleChange(QStringLiteral("whatever the page says"));
        EXPECT_EQ(w().Tstr(n).Caption(), QStringLiteral("空白页")) << blank.toStdString();
        EXPECT_EQ(w().MTab(n).Tag(), QStringLiteral("空白页"));
    }
    // Too narrow even for three characters: the first one and "...".
    w().setWidth(1000);
    EXPECT_EQ(w().Tstr(2).Caption(), QStringLiteral("空..."));
}

TEST_F(Captions, AnUnchangedCaptionStaysWhereItIs)
{
    browser(0).fireTitleChange(QStringLiteral("Home"));
    w().Tstr(0).Move(1, 2);
    browser(0).fireTitleChange(QStringLiteral("Home"));
    EXPECT_EQ(geometry(w().Tstr(0)), "1 2 360 180");
}

} // namespace
