#include "TabSet.h"

#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <set>

namespace wbcontrol {

namespace {

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

} // namespace

TabSet::TabSet(std::vector<int16_t> open, std::vector<int16_t> closed, int16_t selected)
    : m_open(std::move(open)), m_closed(std::move(closed)), m_selected(selected)
{
}

std::vector<int16_t> TabSet::strip() const
{
    std::vector<int16_t> tabs{0};
    tabs.insert(tabs.end(), m_open.begin(), m_open.end());
    return tabs;
}

bool TabSet::onStrip(int16_t tab) const
{
    return tab == 0 || std::find(m_open.begin(), m_open.end(), tab) != m_open.end();
}

std::optional<TabSet::Opening> TabSet::nextOpening() const
{
    if (!m_closed.empty())
        return Opening{m_closed.front(), true};
    const int largest = m_open.empty() ? 0 : *std::max_element(m_open.begin(), m_open.end());
    if (largest >= std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return Opening{int16_t(largest + 1), false};
}

void TabSet::open(const Opening &opening)
{
    if (opening.reused)
        m_closed.erase(std::find(m_closed.begin(), m_closed.end(), opening.tab));
    m_open.push_back(opening.tab);
    m_titles.remove(opening.tab);
    m_selected = opening.tab;
    check();
}

std::optional<TabClosing> TabSet::close(int16_t tab)
{
    std::optional<TabClosing> closing = closeTab(m_open, m_closed, tab);
    if (!closing)
        return closing;
    m_open = closing->open;
    m_closed = closing->closed;
    m_selected = m_open.empty() ? 0 : m_open.back();
    check();
    return closing;
}

void TabSet::select(int16_t tab)
{
    if (onStrip(tab))
        m_selected = tab;
    check();
}

int16_t TabSet::neighbour(int step) const
{
    const std::vector<int16_t> tabs = strip();
    const auto n = qsizetype(tabs.size());
    const qsizetype at = std::find(tabs.begin(), tabs.end(), m_selected) - tabs.begin();
    return tabs[size_t(((at + step) % n + n) % n)];
}

void TabSet::setTitle(int16_t tab, const QString &title)
{
    if (title.isEmpty())
        m_titles.remove(tab);
    else
        m_titles.insert(tab, title);
}

std::string TabSet::toString() const
{
    std::string row;
    for (int16_t tab : strip())
        row += (row.empty() ? "" : " ") + std::to_string(tab) + (tab == m_selected ? "*" : "");
    row += " | closed";
    for (int16_t tab : m_closed)
        row += " " + std::to_string(tab);
    return row;
}

bool TabSet::whole() const
{
    std::set<int16_t> seen{0};
    for (const std::vector<int16_t> *list : {&m_open, &m_closed})
        for (int16_t tab : *list)
            if (tab <= 0 || !seen.insert(tab).second)
                return false;
    return onStrip(m_selected);
}

void TabSet::check() const
{
    Q_ASSERT_X(whole(), "TabSet", toString().c_str());
}

} // namespace wbcontrol
