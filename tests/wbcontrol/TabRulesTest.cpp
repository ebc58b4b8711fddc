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

} // namespace
