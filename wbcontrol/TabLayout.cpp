#include "TabLayout.h"

#include <algorithm>
#include <cmath>

namespace tabstrip {

namespace {
const QString kEllipsis = QStringLiteral("...");
}

int16_t tabWidth(double controlWidth, int openTabs)
{
    // rint rounds halves to even in the default rounding mode.
    const double shared = std::rint(controlWidth / std::max(openTabs, 1));
    return int16_t(std::clamp(shared, double(kMinTabWidth), double(kMaxTabWidth)));
}

QStringList captionCandidates(const QString &title)
{
    QStringList candidates{title};
    for (int count = 10; count >= 3; --count)
        candidates << title.left(count) + kEllipsis;
    return candidates;
}

QString fitCaption(const QString &title, double room,
                   const std::function<double(const QString &)> &measure)
{
    for (const QString &candidate : captionCandidates(title))
        if (measure(candidate) <= room)
            return candidate;
    return title.left(1) + kEllipsis;
}

} // namespace tabstrip
