#pragma once
// The tabbed control's keys. They are bound on the control's window, so they
// work while the keyboard focus is inside the page, and each calls one of the
// control's operations; every other key stays the page's.

#include "toolkit/Shortcut.h"

#include <memory>
#include <vector>

class WBControl;

namespace wbcontrol {

// The zoom one step in (+1) or out (-1) from the current one, along the
// levels browsers offer (25 % to 500 %); past either end it stays.
double nextZoom(double current, int direction);

class TabKeys {
public:
    explicit TabKeys(WBControl &tabs);

    // Escape stops a page only while it loads; otherwise the page keeps it.
    void setLoading(bool loading);

private:
    void bind(const QKeySequence &keys, std::function<void()> handler);

    WBControl &m_tabs;
    std::vector<std::unique_ptr<tk::Shortcut>> m_bound;
    tk::Shortcut m_stop;
};

} // namespace wbcontrol
