#include "ColorMath.h"

#include <cmath>

namespace command {

Channels splitColor(int32_t colour)
{
    return {int(uint32_t(colour) & 0xFF), int((colour / 256) % 256), int((colour / 65536) % 256)};
}

int32_t RGB(int red, int green, int blue)
{
    return int32_t(clampChannel(red) | (clampChannel(green) << 8) | (clampChannel(blue) << 16));
}

int32_t ShadeColor(int32_t colour, int amount, bool proportional)
{
    const Channels c = splitColor(colour);
    const int blue = proportional ? c.blue + (c.blue * amount) / 192 : c.blue + amount;
    return RGB(c.red + amount, c.green + amount, blue);
}

int32_t ShiftColorLimited(int32_t colour, int dr, int dg, int db, int32_t limit)
{
    const Channels c = splitColor(colour);
    const Channels l = splitColor(limit);
    auto bound = [](int v, int max) { return v < 0 ? 0 : (v > max ? max : v); };
    return RGB(bound(c.red + dr, l.red), bound(c.green + dg, l.green), bound(c.blue + db, l.blue));
}

int roundEven(double value)
{
    return int(std::nearbyint(value));
}

int divOrZero(int dividend, int divisor)
{
    return divisor == 0 ? 0 : dividend / divisor;
}

} // namespace command
