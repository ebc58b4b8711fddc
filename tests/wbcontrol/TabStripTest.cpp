// Strip layout and caption fitting. Captions are measured in the caption
// font the test set-up installs: 6 pixels (90 twips) for every Latin
// character and 12 (180 twips) for a Chinese one, 12 pixels high.
#include "TabFixture.h"

#include <QWidget>

using namespace tk;

namespace {

using Layout = TabFixture;
using Captions = TabFixture;

const QString kTwenty = QStringLiteral("abcdefghijklmnopqrst"); // 1800 twips

TEST_F(Layout, OneTabOnAWideControlIsLimitedTo2700)
{
    EXPECT_EQ(rect(w().MTab(0)), "60 0 2700 420") << "before the host's first resize";
    w().Move(0, 0, 8000, 6000);
    EXPECT_EQ(strip(), "0");
    EXPECT_EQ(rect(w().MTab(0)), "0 0 2700 420");
    EXPECT_EQ(rect(w().bgLeft(0)), "0 0 120 420");
    EXPECT_EQ(rect(w().bgCenter(0)), "120 0 2460 420");
    EXPECT_EQ(rect(w().bgRight(0)), "2580 0 120 420");
    EXPECT_EQ(rect(w().TIcon(0)), "60 90 240 240");
    EXPECT_EQ(rect(w().Tcbt(0)), "2415 105 225 210");
}

TEST_F(Layout, FourTabsOn6000AreEach1500Wide)
{
    w().Move(0, 0, 6000, 5000);
    open(3);
    EXPECT_EQ(strip(), "0 1500 3000 4500");
    EXPECT_EQ(rect(w().MTab(3)), "4500 0 1500 420");
    EXPECT_EQ(rect(w().bgCenter(3)), "120 0 1260 420");
    EXPECT_EQ(rect(w().bgRight(3)), "1380 0 120 420");
    EXPECT_EQ(rect(w().Tcbt(3)), "1215 105 225 210");
}

TEST_F(Layout, HalvesRoundToEven)
{
    w().Move(0, 0, 5001, 5000);
    open();
    w().TabResize();
    EXPECT_EQ(strip(), "0 2500");
    EXPECT_EQ(w().MTab(1).Width(), 2500);
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

TEST_F(Layout, LinesAndThePageFillTheControlBelowTheStripWhenItIsTallEnough)
{
    w().Move(0, 0, 9000, 5000);
    const std::array<Line *, 5> lines{&w().Line1, &w().Line2, &w().Line3, &w().Line4, &w().Line5};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(lines[size_t(k)]->X1(), 0) << k;
        EXPECT_EQ(lines[size_t(k)]->X2(), 9000) << k;
        EXPECT_EQ(lines[size_t(k)]->Y1(), 405 + 15 * k) << k;
        EXPECT_EQ(lines[size_t(k)]->Y2(), 405 + 15 * k) << k;
    }
    EXPECT_EQ(rect(w().WBCnt(0)), "0 480 9000 4520");
    EXPECT_EQ(rect(w().WB(0)), "-20 -20 9040 4560");
    open(2);
    // Every tab lies over the lines, so the selected one opens onto the page.
    const QObjectList stack = w().peer()->children();
    for (int16_t i : openTabs())
        EXPECT_GT(stack.indexOf(w().MTab(i).peer()), stack.indexOf(w().Line1.peer())) << i;

    // 600 high: lines and page stay, the strip is still laid out.
    w().Move(0, 0, 7000, 600);
    EXPECT_EQ(w().Line3.X2(), 9000);
    EXPECT_EQ(rect(w().WBCnt(2)), "0 480 9000 4520");
    EXPECT_EQ(strip(), "0 2333 4666");

    // Only the selected page follows a resize; another gets its size when selected.
    w().MTab(1).MouseDown(kLeftButton, 0, 0, 0);
    EXPECT_EQ(rect(w().WBCnt(1)), "0 480 9000 4520");
    w().Move(0, 0, 10000, 6000);
    EXPECT_EQ(rect(w().WBCnt(1)), "0 480 10000 5520");
    EXPECT_EQ(rect(w().WB(1)), "-20 -20 10040 5560");
    EXPECT_EQ(rect(w().WBCnt(2)), "0 480 9000 4520");
}

TEST_F(Captions, FitTheTabWidthAndGrowBackWhenTabsWiden)
{
    w().Move(0, 0, 8000, 5000);
    browser(0).fireTitleChange(kTwenty);
    EXPECT_EQ(w().Tstr(0).Caption(), kTwenty) << "2100 twips of room";
    EXPECT_EQ(w().MTab(0).Tag(), kTwenty);
    EXPECT_EQ(rect(w().Tstr(0)), "320 120 1800 180");

    struct Case {
        float width;
        const char *caption;
        float shown;
    };
    for (const Case &c : {Case{2000, "abcdefghij...", 1170}, Case{1500, "abcdefg...", 900},
                          Case{1000, "a...", 360}, Case{8000, "abcdefghijklmnopqrst", 1800}}) {
        w().setWidth(c.width);
        EXPECT_EQ(w().Tstr(0).Caption(), c.caption) << c.width;
        // Measured in the font it is shown in.
        EXPECT_EQ(w().Tstr(0).Width(), c.shown) << c.width;
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

TEST_F(Captions, AnUnchangedCaptionStaysWhereItIsAndAnUntitledTabKeepsItsCaption)
{
    w().Move(0, 0, 8000, 5000);
    EXPECT_EQ(w().Tstr(0).Caption(), "MTabBox") << "no title yet: the design caption";
    browser(0).fireTitleChange(QStringLiteral("Home"));
    w().Tstr(0).Move(1, 2);
    browser(0).fireTitleChange(QStringLiteral("Home"));
    w().TabResize();
    EXPECT_EQ(rect(w().Tstr(0)), "1 2 360 180");
    browser(0).fireTitleChange(QStringLiteral("Away"));
    EXPECT_EQ(rect(w().Tstr(0)), "320 120 360 180");
}

TEST_F(Captions, TheTitleChangeFitsTheCaptionBeforeTheHostHearsOfIt)
{
    w().Move(0, 0, 8000, 5000);
    const int16_t n = open(2);
    QStringList heard;
    w().URLChang = [&](int16_t &i, QString &url) {
        heard << QStringLiteral("URLChang %1 %2 [%3]").arg(i).arg(url, w().Tstr(i).Caption());
    };
    w().TitleChange = [&](int16_t &i, const QString &text) {
        heard << QStringLiteral("TitleChange %1 %2 [%3]").arg(i).arg(text, w().Tstr(i).Caption());
    };
    browser(1).setBusy(false);
    browser(1).fireTitleChange(QStringLiteral("Background"));
    browser(n).fireTitleChange(QStringLiteral("Loading")); // still busy: no address yet
    browser(1).fireTitleChange(QString());
    EXPECT_EQ(heard, (QStringList{"URLChang 1 http://example.test/0 [Background]",
                                  "TitleChange 1 Background [Background]",
                                  "TitleChange 2 Loading [Loading]",
                                  "URLChang 1 http://example.test/0 [Background]",
                                  "TitleChange 1  [Background]"}));
    EXPECT_EQ(w().MTab(1).Tag(), "Background") << "an empty title changes nothing";
}

} // namespace
