// The tab strip's plain rules, each case one whole row.
#include "TabClosing.h"
#include "TabLayout.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

using namespace wbcontrol;

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

QString join(const std::vector<int16_t> &tabs)
{
    QStringList row;
    for (int16_t t : tabs)
        row << QString::number(t);
    return row.join(' ');
}

// The steps in their order, then the lists they leave:
// "keep 1 | unlist 1 at 0 | gap | select 3 => List1 2 3 | List2 1".
std::string rowOf(const std::optional<TabClosing> &c)
{
    if (!c)
        return "nothing";
    QStringList steps;
    for (const CloseStep &step : c->steps) {
        switch (step.kind) {
        case CloseStep::Kind::Unlist:
            steps << QStringLiteral("unlist %1 at %2").arg(step.tab).arg(step.item);
            break;
        case CloseStep::Kind::KeepForReuse:
            steps << QStringLiteral("keep %1").arg(step.tab);
            break;
        case CloseStep::Kind::CloseGap:
            steps << QStringLiteral("gap");
            break;
        case CloseStep::Kind::Select:
            steps << QStringLiteral("select %1").arg(step.tab);
            break;
        }
    }
    return (steps.join(QStringLiteral(" | ")) + " => List1 " + join(c->open) + " | List2 " + join(c->closed))
        .toStdString();
}

TEST(TabClose, SelectsTheRightmostTabLeftAndKeepsTheClosedOneForReuse)
{
    struct Case {
        std::vector<int16_t> open, closed;
        int16_t index;
        const char *row;
    };
    for (const Case &c : {
             Case{{1, 2, 3}, {}, 1, "keep 1 | unlist 1 at 0 | gap | select 3 => List1 2 3 | List2 1"},
             Case{{3, 5, 7}, {2}, 5, "keep 5 | unlist 5 at 1 | gap | select 7 => List1 3 7 | List2 2 5"},
             // The rightmost: its neighbour is selected before List2 has it, and again at the end.
             Case{{1, 2, 3}, {}, 3, "unlist 3 at 2 | select 2 | keep 3 | gap | select 2 => List1 1 2 | List2 3"},
             Case{{4, 1}, {2, 3}, 1, "unlist 1 at 1 | select 4 | keep 1 | gap | select 4 => List1 4 | List2 2 3 1"},
             // The only one: tab 0 is selected and no gap is left to close.
             Case{{1}, {}, 1, "unlist 1 at 0 | select 0 | keep 1 => List1  | List2 1"},
             Case{{6}, {1, 2}, 6, "unlist 6 at 0 | select 0 | keep 6 => List1  | List2 1 2 6"},
         }) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(rowOf(closeTab(c.open, c.closed, c.index)), c.row);
    }
}

TEST(TabClose, TabZeroAndTabsNotOpenCloseNothing)
{
    struct Case {
        std::vector<int16_t> open, closed;
        int16_t index;
    };
    for (const Case &c : {Case{{1, 3}, {2}, 0}, Case{{1, 3}, {2}, 2}, Case{{1}, {}, 0}, Case{{1}, {}, 3},
                          Case{{}, {}, 0}, Case{{}, {2}, 2}}) {
        SCOPED_TRACE(testing::Message() << "closing " << c.index << " with List1 " << join(c.open).toStdString());
        EXPECT_EQ(rowOf(closeTab(c.open, c.closed, c.index)), "nothing");
    }
}

} // namespace
