#pragma once
// Forms and controls are measured in twips; the screen in pixels.

#include <cmath>

namespace tk {

constexpr int kTwipsPerPixel = 15;
// The largest place or size a control takes: Qt's largest widget, 2^24 - 1
// pixels.
constexpr float kMaxTwips = float((1 << 24) - 1) * kTwipsPerPixel;

// Nearest pixel; a half pixel rounds away from zero.
inline int toPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}
inline float toTwips(double pixels)
{
    return float(pixels * kTwipsPerPixel);
}

} // namespace tk
