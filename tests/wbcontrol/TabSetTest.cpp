// The tab model's rules, each row a whole state before and after:
// "0 3* 5 | closed 2 4" is tab 0, then tabs 3 and 5 on the strip with 3
// selected, and tabs 2 and 4 kept for reuse, 2 the oldest.
#include "TabSet.h"

#include <gtest/gtest.h>

#include <QStringList>

using wbcontrol::CloseStep;
using wbcontrol::TabSet;

namespace {

TabSet parse(const char *row)
{
    const QStringList halves = QString::fromLatin1(row).split(QStringLiteral(" | closed"));
    std::vector<int16_t> open, closed;
    int16_t selected = 0;
    for (QString tab : halves[0].split(' ', Qt::SkipEmptyParts)) {
        if (tab.endsWith('*'))
            selected = int16_t(tab.chopped(1).toInt());
        if (tab.chopped(tab.endsWith('*') ? 1 : 0) != QLatin1String("0"))
            open.push_back(int16_t(tab.remove('*').toInt()));
    }
    for (const QString &tab : halves.value(1).split(' ', Qt::SkipEmptyParts))
        closed.push_back(int16_t(tab.toInt()));
    return TabSet(open, closed, selected);
}

std::string stepsOf(const std::optional<wbcontrol::TabClosing> &c)
{
    if (!c)
        return "nothing";
    std::string row;
    for (const CloseStep &s : c->steps) {
        using K = CloseStep::Kind;
        row += row.empty() ? "" : ", ";
        row += s.kind == K::Unlist ? "unlist " + std::to_string(s.tab) + " at " + std::to_string(s.item)
               : s.kind == K::KeepForReuse ? "keep " + std::to_string(s.tab)
               : s.kind == K::Select       ? "select " + std::to_string(s.tab)
                                           : std::string("gap");
    }
    return row;
}

TEST(TabSet, OpeningReusesTheOldestClosedTabElseTakesTheIndexAfterTheLargestOpen)
{
    const std::pair<const char *, const char *> rows[] = {{"0* | closed", "0 1* | closed"},
                                                          {"0 1 3* | closed 2", "0 1 3 2* | closed"},
                                                          {"0 1* | closed 4 2", "0 1 4* | closed 2"},
                                                          {"0* | closed 3 1 2", "0 3* | closed 1 2"},
                                                          {"0 5 2* | closed", "0 5 2 6* | closed"},
                                                          {"0* 32766 | closed", "0 32766 32767* | closed"},
                                                          {"0 32767* | closed", "none"},
                                                          {"0 32767* 4 | closed 9", "0 32767 4 9* | closed"}};
    for (const auto &[before, after] : rows) {
        TabSet tabs = parse(before);
        const auto opening = tabs.nextOpening();
        if (opening)
            tabs.open(*opening);
        EXPECT_EQ(opening ? tabs.toString() : "none", after) << before;
    }
}

TEST(TabSet, ClosingKeepsTheTabForReuseAndSelectsTheRightmostLeftInTheControlsSteps)
{
    const std::tuple<const char *, int16_t, const char *, const char *> rows[] = {
        {"0 1* 2 3 | closed", 1, "keep 1, unlist 1 at 0, gap, select 3", "0 2 3* | closed 1"},
        {"0* 1 2 3 | closed", 2, "keep 2, unlist 2 at 1, gap, select 3", "0 1 3* | closed 2"},
        // The rightmost: its neighbour is selected before List2 has it, and again at the end.
        {"0 1 2 3* | closed", 3, "unlist 3 at 2, select 2, keep 3, gap, select 2", "0 1 2* | closed 3"},
        // The only one: tab 0 is selected and no gap is left to close.
        {"0 1* | closed", 1, "unlist 1 at 0, select 0, keep 1", "0* | closed 1"},
        // Tab 0 and tabs not open close nothing.
        {"0 1 3* | closed 2", 0, "nothing", "0 1 3* | closed 2"},
        {"0 1 3* | closed 2", 2, "nothing", "0 1 3* | closed 2"},
    };
    for (const auto &[before, tab, steps, after] : rows) {
        TabSet tabs = parse(before);
        const std::string done = stepsOf(tabs.close(tab)); // before the state after it is read
        EXPECT_EQ(done + " => " + tabs.toString(), std::string(steps) + " => " + after)
            << "closing " << tab << " of " << before;
    }
}

TEST(TabSet, SelectingStaysOnTheStripAndStepsWrapRoundIt)
{
    // Before, the tab selected, then the neighbours one step right and left of the selection after.
    const std::tuple<const char *, int16_t, const char *> rows[] = {
        {"0 1 2* | closed", 1, "0 1* 2 | closed => 2 0"},
        {"0 1 2* | closed", 0, "0* 1 2 | closed => 1 2"},
        {"0 1 2* | closed 3", 3, "0 1 2* | closed 3 => 0 1"}, // a closed tab is not selected
        {"0 5 2* | closed", 7, "0 5 2* | closed => 0 5"},
        {"0* | closed 1", 0, "0* | closed 1 => 0 0"},
    };
    for (const auto &[before, tab, after] : rows) {
        TabSet tabs = parse(before);
        tabs.select(tab);
        EXPECT_EQ(tabs.toString() + " => " + std::to_string(tabs.neighbour(1)) + " " +
                      std::to_string(tabs.neighbour(-1)),
                  after)
            << before << " select " << tab;
    }
}

TEST(TabSet, AStateWithATabInTwoPlacesOrTheSelectionOffTheStripIsNotWhole)
{
    const std::tuple<std::vector<int16_t>, std::vector<int16_t>, int16_t, bool> rows[] = {
        {{1, 2}, {3}, 2, true}, {{1, 2}, {2}, 1, false}, {{1, 1}, {}, 1, false},
        {{0, 1}, {}, 1, false}, {{1}, {}, 3, false},     {{1}, {-4}, 0, false}};
    for (const auto &[open, closed, selected, whole] : rows) {
        const TabSet tabs(open, closed, selected);
        EXPECT_EQ(tabs.whole(), whole) << tabs.toString();
    }
}

} // namespace
