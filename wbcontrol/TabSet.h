#pragma once
// What closing a tab does to the tab lists and the selection, kept apart
// from the controls it hides and moves.

#include <cstdint>
#include <optional>
#include <vector>

namespace wbcontrol {

// One thing closing a tab does. The control does them one at a time in this
// order: a selection lays the strip out from List1 as it stands then and
// tells the host, before List2 may have the closed tab.
struct CloseStep {
    enum class Kind {
        Unlist,       // List1 loses its item `item`, the closed tab
        KeepForReuse, // List2 gets `tab` at its end
        CloseGap,     // every open tab moves to right after its predecessor
        Select,       // `tab` is selected
    };
    Kind kind;
    int16_t tab = 0;
    int item = 0;
};

struct TabClosing {
    std::vector<CloseStep> steps;
    std::vector<int16_t> open;   // List1 afterwards
    std::vector<int16_t> closed; // List2 afterwards
};

// Closing tab `index`, with `open` the tabs of List1 in strip order and
// `closed` those of List2. The rightmost tab left is selected, tab 0 when
// none is; with the rightmost itself closed its neighbour is selected both
// before the gap closes and after. Nothing for tab 0 or a tab not open: going
// on would take another tab out of List1 and lose it.
std::optional<TabClosing> closeTab(const std::vector<int16_t> &open, const std::vector<int16_t> &closed,
                                   int16_t index);

} // namespace wbcontrol
