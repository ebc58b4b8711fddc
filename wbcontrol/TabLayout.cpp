#include "TabLayout.h"

#include <algorithm>
#include <cmath>

namespace wbcontrol {

namespace {
const QString kEllipsis = QStringLiteral("...");
constexpr float kSkinEnd = 120;
constexpr float kIconLeft = 60;
constexpr float kStartIconDrop = 20;
constexpr float kCaptionLeft = 320;
constexpr float kCloseRightMargin = 60;
constexpr float kOverhang = 20;
}

int16_t tabWidth(double controlWidth, int openTabs)
{
    // rint rounds halves to even in the default rounding mode.
    const double shared = std::rint(controlWidth / std::max(openTabs, 1));
    return int16_t(std::clamp(shared, double(kMinTabWidth), double(kMaxTabWidth)));
}

SkinPieces skinPieces(float tabWidth)
{
    return {{0, 0, kSkinEnd, kTabHeight},
            {kSkinEnd, 0, tabWidth - 2 * kSkinEnd, kTabHeight},
            {tabWidth - kSkinEnd, 0, kSkinEnd, kTabHeight}};
}

Rect iconRect(float tabHeight, Size icon)
{
    return {kIconLeft, (tabHeight - icon.height) / 2, icon.width, icon.height};
}

Rect startIconRect(float tabHeight, Size icon)
{
    Rect r = iconRect(tabHeight, icon);
    r.top += kStartIconDrop;
    return r;
}

Rect captionRect(float tabHeight, Size caption)
{
    return {kCaptionLeft, (tabHeight - caption.height) / 2, caption.width, caption.height};
}

Rect centredCaptionRect(Size tab, Size caption)
{
    return {(tab.width - caption.width) / 2, (tab.height - caption.height) / 2, caption.width,
            caption.height};
}

Rect closeButtonRect(Size tab, Size button)
{
    return {tab.width - button.width - kCloseRightMargin, (tab.height - button.height) / 2, button.width,
            button.height};
}

Rect pageRect(Size control)
{
    return {0, kStripHeight, control.width, control.height - kStripHeight};
}

Rect browserRect(Size page)
{
    return {-kOverhang, -kOverhang, page.width + 2 * kOverhang, page.height + 2 * kOverhang};
}

Rect loadedBrowserRect(Size page)
{
    return {-kOverhang, -kOverhang, page.width + 45, page.height + 20};
}

QStringList captionCandidates(const QString &title)
{
    QStringList candidates{title};
    for (int count = 10; count >= 3; --count)
        candidates << title.left(count) + kEllipsis;
    return candidates;
}

QString fitCaption(const QString &title, double room, const std::function<double(const QString &)> &measure)
{
    for (const QString &candidate : captionCandidates(title))
        if (measure(candidate) <= room)
            return candidate;
    return title.left(1) + kEllipsis;
}

} // namespace wbcontrol
