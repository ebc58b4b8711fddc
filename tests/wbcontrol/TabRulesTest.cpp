// The tab strip's plain rules, each case one whole row.
#include "TabLayout.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

using namespace wbcontrol;

namespace {

std::string rowOf(const Rect &r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.width).arg(r.height).toStdString();
}

TEST(TabPieces, FollowTheTabWidthWithFixedEnds)
{
    // The design's icon (240 × 240) and close button (225 × 210), a caption measured at 360 × 180.
    const std::pair<float, const char *> rows[] = {
        {2700, "0 0 120 420 | 120 0 2460 420 | 2580 0 120 420 | 60 90 240 240 | 320 120 360 180 | 2415 105 "
               "225 210"},
        {1000,
         "0 0 120 420 | 120 0 760 420 | 880 0 120 420 | 60 90 240 240 | 320 120 360 180 | 715 105 225 210"},
        {1333, "0 0 120 420 | 120 0 1093 420 | 1213 0 120 420 | 60 90 240 240 | 320 120 360 180 | 1048 105 "
               "225 210"},
    };
    for (const auto &[width, row] : rows) {
        const SkinPieces skin = skinPieces(width);
        EXPECT_EQ(rowOf(skin.left) + " | " + rowOf(skin.center) + " | " + rowOf(skin.right) + " | " +
                      rowOf(iconRect(kTabHeight, {240, 240})) + " | " +
                      rowOf(captionRect(kTabHeight, {360, 180})) + " | " +
                      rowOf(closeButtonRect({width, kTabHeight}, {225, 210})),
                  row);
    }
}

TEST(TabPieces, KeepHalvesAndTheSizesTheyAreGivenAndBeforeTheFirstLayoutCentreTheCaption)
{
    const std::pair<Rect, const char *> rows[] = {
        {iconRect(kTabHeight, {16, 15}), "60 202.5 16 15"},
        {iconRect(421, {240, 240}), "60 90.5 240 240"}, // the tab's own height
        {captionRect(kTabHeight, {1801, 181}), "320 119.5 1801 181"},
        {closeButtonRect({2501, 421}, {224, 211}), "2217 105 224 211"},
        {centredCaptionRect({2700, kTabHeight}, {810, 180}), "945 120 810 180"},
        {centredCaptionRect({2700, kTabHeight}, {361, 181}), "1169.5 119.5 361 181"},
        {startIconRect(kTabHeight, {240, 240}), "60 110 240 240"}, // tab 0's icon, lower
    };
    for (const auto &[rect, row] : rows)
        EXPECT_EQ(rowOf(rect), row);
}

TEST(TabPage, FillsTheControlBelowTheStripWithTheBrowserOverhangingIt)
{
    // control size => page | browser | browser once loaded
    const std::pair<Size, const char *> rows[] = {
        {{13425, 8590}, "0 480 13425 8110 | -20 -20 13465 8150 | -20 -20 13470 8130"},
        {{6000, 5000}, "0 480 6000 4520 | -20 -20 6040 4560 | -20 -20 6045 4540"},
        {{4000.5, 601}, "0 480 4000.5 121 | -20 -20 4040.5 161 | -20 -20 4045.5 141"},
    };
    for (const auto &[control, row] : rows) {
        const Rect page = pageRect(control);
        EXPECT_EQ(rowOf(page) + " | " + rowOf(browserRect({page.width, page.height})) + " | " +
                      rowOf(loadedBrowserRect({page.width, page.height})),
                  row);
    }
}

} // namespace
