#include "TabSet.h"

#include <algorithm>

namespace wbcontrol {

std::optional<TabClosing> closeTab(const std::vector<int16_t> &open, const std::vector<int16_t> &closed,
                                   int16_t index)
{
    const auto at = std::find(open.begin(), open.end(), index);
    if (index == 0 || at == open.end())
        return std::nullopt;
    const int item = int(at - open.begin());
    using Kind = CloseStep::Kind;
    TabClosing c{{}, open, closed};
    c.open.erase(c.open.begin() + item);
    c.closed.push_back(index);

    if (open.size() == 1) {
        c.steps = {{Kind::Unlist, index, item}, {Kind::Select, 0}, {Kind::KeepForReuse, index}};
        return c;
    }
    const int16_t rightmost = c.open.back();
    if (item == int(open.size()) - 1)
        c.steps = {{Kind::Unlist, index, item}, {Kind::Select, rightmost}, {Kind::KeepForReuse, index}};
    else
        c.steps = {{Kind::KeepForReuse, index}, {Kind::Unlist, index, item}};
    c.steps.push_back({Kind::CloseGap});
    c.steps.push_back({Kind::Select, rightmost});
    return c;
}

} // namespace wbcontrol
