#pragma once
// The tabbed control's keys. They are bound on the control's window, so they
// work while the keyboard focus is inside the page, and each calls one of the
// control's operations; every other key stays the page's.

#include "toolkit/Shortcut.h"

#include <functional>
#include <memory>
#include <vector>

namespace wbcontrol {

// The zoom one step in (+1) or out (-1) from the current one, along the
// levels browsers offer (25 % to 500 %); past either end it stays.
double nextZoom(double current, int direction);

// What the keys call.
struct TabCommands {
    std::function<void()> closeTab;
    std::function<void(int step)> selectTab; // +1 the next tab, -1 the previous
    std::function<void()> refresh, stop, back, forward;
    std::function<void(int direction)> zoom; // +1 in, -1 out, 0 back to 100 %
    std::function<void()> find, print;
    std::function<void(int direction)> findAgain; // +1 the next match, -1 the previous
};

class TabKeys {
public:
    // Binds the keys on the window of `control`.
    TabKeys(tk::Control &control, TabCommands commands);

    // Escape stops a page only while it loads; otherwise the page keeps it.
    void setLoading(bool loading);

private:
    void bind(const QKeySequence &keys, std::function<void()> handler);

    tk::Control &m_control;
    std::vector<std::unique_ptr<tk::Shortcut>> m_bound;
    tk::Shortcut m_stop;
};

} // namespace wbcontrol
