#pragma once
// Forms and controls are measured in twips; the screen in pixels.

#include <cmath>

namespace tk {

constexpr int kTwipsPerPixel = 15;

// Nearest pixel; a half pixel rounds away from zero.
inline int toPixels(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }
inline float toTwips(double pixels) { return float(pixels * kTwipsPerPixel); }

} // namespace tk
