// The tab strip's plain rules, each case one whole row.
#include "TabLayout.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

using namespace tabstrip;

namespace {

std::string rowOf(const Rect &r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.width).arg(r.height).toStdString();
}

// A tab's pieces at a width, with the design's icon (240 × 240) and close
// button (225 × 210) and a caption measured at 360 × 180.
std::string pieces(float width)
{
    const SkinPieces skin = skinPieces(width);
    return "bgLeft " + rowOf(skin.left) + " | bgCenter " + rowOf(skin.center) + " | bgRight " + rowOf(skin.right)
           + " | TIcon " + rowOf(iconRect(kTabHeight, {240, 240})) + " | Tstr "
           + rowOf(captionRect(kTabHeight, {360, 180})) + " | Tcbt "
           + rowOf(closeButtonRect({width, kTabHeight}, {225, 210}));
}

TEST(TabPieces, FollowTheTabWidthWithFixedEnds)
{
    EXPECT_EQ(pieces(2700), "bgLeft 0 0 120 420 | bgCenter 120 0 2460 420 | bgRight 2580 0 120 420 | "
                            "TIcon 60 90 240 240 | Tstr 320 120 360 180 | Tcbt 2415 105 225 210");
    EXPECT_EQ(pieces(1000), "bgLeft 0 0 120 420 | bgCenter 120 0 760 420 | bgRight 880 0 120 420 | "
                            "TIcon 60 90 240 240 | Tstr 320 120 360 180 | Tcbt 715 105 225 210");
    EXPECT_EQ(pieces(1333), "bgLeft 0 0 120 420 | bgCenter 120 0 1093 420 | bgRight 1213 0 120 420 | "
                            "TIcon 60 90 240 240 | Tstr 320 120 360 180 | Tcbt 1048 105 225 210");
}

TEST(TabPieces, KeepHalvesAndTheSizesTheyAreGiven)
{
    EXPECT_EQ(rowOf(iconRect(kTabHeight, {16, 15})), "60 202.5 16 15");
    EXPECT_EQ(rowOf(iconRect(421, {240, 240})), "60 90.5 240 240") << "the tab's own height";
    EXPECT_EQ(rowOf(captionRect(kTabHeight, {1801, 181})), "320 119.5 1801 181");
    EXPECT_EQ(rowOf(closeButtonRect({2501, 421}, {224, 211})), "2217 105 224 211");
}

TEST(TabPieces, BeforeTheFirstLayoutTheCaptionIsCentredAndTabZerosIconLower)
{
    EXPECT_EQ(rowOf(centredCaptionRect({2700, kTabHeight}, {810, 180})), "945 120 810 180");
    EXPECT_EQ(rowOf(centredCaptionRect({2700, kTabHeight}, {361, 181})), "1169.5 119.5 361 181");
    EXPECT_EQ(rowOf(startIconRect(kTabHeight, {240, 240})), "60 110 240 240");
}

TEST(TabPage, FillsTheControlBelowTheStripWithTheBrowserOverhangingIt)
{
    struct Case {
        Size control;
        const char *page, *browser, *loaded;
    };
    for (const Case &c : {Case{{13425, 8590}, "0 480 13425 8110", "-20 -20 13465 8150", "-20 -20 13470 8130"},
                          Case{{6000, 5000}, "0 480 6000 4520", "-20 -20 6040 4560", "-20 -20 6045 4540"},
                          Case{{4000.5, 601}, "0 480 4000.5 121", "-20 -20 4040.5 161", "-20 -20 4045.5 141"}}) {
        SCOPED_TRACE(c.page);
        const Rect page = pageRect(c.control);
        EXPECT_EQ(rowOf(page), c.page);
        EXPECT_EQ(rowOf(browserRect({page.width, page.height})), c.browser);
        EXPECT_EQ(rowOf(loadedBrowserRect({page.width, page.height})), c.loaded);
    }
}

} // namespace
