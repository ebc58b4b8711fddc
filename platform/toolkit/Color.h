#pragma once
// Colours travel as 32-bit values with red in the low byte (0x00BBGGRR).

#include <QColor>

#include <cstdint>

namespace tk {

inline QColor colorFromBGR(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline uint32_t bgrFromColor(const QColor &c)
{
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

} // namespace tk
