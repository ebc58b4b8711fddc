#pragma once
// Small steps the control's files share: a control's size and place in the
// layout's terms, and the tab index a list item holds.

#include "TabLayout.h"
#include "toolkit/Control.h"
#include "toolkit/ListBox.h"

#include <cstdint>

namespace wbcontrol {

inline Size sizeOf(const tk::Control &c)
{
    return {c.Width(), c.Height()};
}

inline void place(tk::Control &c, const Rect &r)
{
    c.Move(r.left, r.top, r.width, r.height);
}

// The tab index held by a list item (decimal text).
inline int16_t indexAt(const tk::ListBox &list, int item)
{
    return int16_t(list.List(item).toInt());
}

} // namespace wbcontrol
