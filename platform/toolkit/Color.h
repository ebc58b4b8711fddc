#pragma once
// Colours travel as 32-bit values with red in the low byte (0x00BBGGRR);
// these are the only conversions to and from Qt's.

#include <QColor>

#include <cstdint>

namespace tk {

inline QRgb rgbFromBGR(int32_t value)
{
    const auto c = uint32_t(value);
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline int32_t bgrFromRgb(QRgb rgb)
{
    return int32_t(uint32_t(qRed(rgb)) | (uint32_t(qGreen(rgb)) << 8) | (uint32_t(qBlue(rgb)) << 16));
}

inline QColor colorFromBGR(int32_t value)
{
    return QColor(rgbFromBGR(value));
}

} // namespace tk
