#pragma once
// The control's tabs without any of their controls: which are on the strip
// and in what order, which are kept for reuse, which is selected, and what
// each is titled. WBControl asks it what an operation does, then applies
// the answer to the controls.

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
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

// Tab 0 is always first on the strip and never closes. The other tabs on the
// strip are `open()`, left to right; a closed tab keeps its index and its
// controls and waits in `closed()`, oldest first, to be opened again. Every
// index is in exactly one of the three places, and the selected tab is on
// the strip. Debug builds check this after every change.
class TabSet {
public:
    TabSet() = default;
    // A state as given, whole or not.
    TabSet(std::vector<int16_t> open, std::vector<int16_t> closed, int16_t selected);

    const std::vector<int16_t> &open() const { return m_open; }
    const std::vector<int16_t> &closed() const { return m_closed; }
    int16_t selected() const { return m_selected; }
    // Tab 0, then the open tabs.
    std::vector<int16_t> strip() const;
    bool onStrip(int16_t tab) const;

    // Where the next tab comes from: the oldest closed tab, else the index
    // after the largest open one; none once that would pass 32767.
    struct Opening {
        int16_t tab;
        bool reused;
    };
    std::optional<Opening> nextOpening() const;
    // Puts the tab nextOpening() named at the strip's right end, untitled,
    // and selects it.
    void open(const Opening &opening);
    // Closes the tab and says what the control does about it. The rightmost
    // tab left is selected, tab 0 when none is; with the rightmost itself
    // closed its neighbour is selected both before the gap closes and after.
    // Nothing for tab 0 or a tab not open: going on would take another tab
    // out of List1 and lose it.
    std::optional<TabClosing> close(int16_t tab);
    // Selects a tab on the strip; anything else is ignored.
    void select(int16_t tab);
    // The tab `step` places from the selected one along the strip, wrapping.
    int16_t neighbour(int step) const;

    // A tab's title as its page last reported it; empty until then.
    QString title(int16_t tab) const { return m_titles.value(tab); }
    void setTitle(int16_t tab, const QString &title);

    // The whole state in one line: "0 3* 5 | closed 2 4", the selected tab
    // starred.
    std::string toString() const;
    // Whether every index is in one place and the selection on the strip.
    bool whole() const;

private:
    void check() const;

    std::vector<int16_t> m_open;
    std::vector<int16_t> m_closed;
    int16_t m_selected = 0;
    QHash<int16_t, QString> m_titles;
};

} // namespace wbcontrol
