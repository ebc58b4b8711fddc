#include "TabKeys.h"

#include <algorithm>
#include <array>

namespace wbcontrol {

namespace {

constexpr std::array<double, 17> kZoomLevels{0.25, 1.0 / 3, 0.5,  2.0 / 3, 0.75, 0.8, 0.9, 1.0, 1.1,
                                             1.25, 1.5,     1.75, 2.0,     2.5,  3.0, 4.0, 5.0};
// A factor set by the wheel lies between levels; this close counts as on one.
constexpr double kZoomSlack = 0.001;

} // namespace

double nextZoom(double current, int direction)
{
    if (direction > 0) {
        const auto next = std::find_if(kZoomLevels.begin(), kZoomLevels.end(),
                                       [current](double z) { return z > current + kZoomSlack; });
        return next == kZoomLevels.end() ? std::max(current, kZoomLevels.back()) : *next;
    }
    const auto next = std::find_if(kZoomLevels.rbegin(), kZoomLevels.rend(),
                                   [current](double z) { return z < current - kZoomSlack; });
    return next == kZoomLevels.rend() ? std::min(current, kZoomLevels.front()) : *next;
}

TabKeys::TabKeys(tk::Control &control, TabCommands c) : m_control(control), m_stop(control, c.stop)
{
    const auto close = c.closeTab, refresh = c.refresh;
    const auto select = [c](int step) { return [c, step] { c.selectTab(step); }; };
    const auto zoom = [c](int direction) { return [c, direction] { c.zoom(direction); }; };
    const auto findAgain = [c](int direction) { return [c, direction] { c.findAgain(direction); }; };
    bind(QKeySequence(Qt::CTRL | Qt::Key_W), close);
    bind(QKeySequence(Qt::CTRL | Qt::Key_F4), close);
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), select(+1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageDown), select(+1));
    // Shift turns Tab into Backtab before shortcuts see it.
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), select(-1));
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), select(-1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageUp), select(-1));
    bind(QKeySequence(Qt::Key_F5), refresh);
    bind(QKeySequence(Qt::CTRL | Qt::Key_R), refresh);
    bind(QKeySequence(Qt::ALT | Qt::Key_Left), c.back);
    bind(QKeySequence(Qt::ALT | Qt::Key_Right), c.forward);
    // Plus is Shift+= on most layouts: both zoom in, as does the keypad's,
    // which shortcuts match without its keypad flag.
    bind(QKeySequence(Qt::CTRL | Qt::Key_Plus), zoom(+1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_Equal), zoom(+1));
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), zoom(+1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_Minus), zoom(-1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_0), zoom(0));
    bind(QKeySequence(Qt::CTRL | Qt::Key_F), c.find);
    bind(QKeySequence(Qt::Key_F3), findAgain(+1));
    bind(QKeySequence(Qt::SHIFT | Qt::Key_F3), findAgain(-1));
    bind(QKeySequence(Qt::CTRL | Qt::Key_P), c.print);
}

void TabKeys::bind(const QKeySequence &keys, std::function<void()> handler)
{
    m_bound.push_back(std::make_unique<tk::Shortcut>(m_control, keys, std::move(handler)));
}

void TabKeys::setLoading(bool loading)
{
    m_stop.setKeys(loading ? QKeySequence(Qt::Key_Escape) : QKeySequence());
}

} // namespace wbcontrol
