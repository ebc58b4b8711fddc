#pragma once
// The button's colour arithmetic on 0x00BBGGRR values.

#include <cstdint>

namespace command {

struct Channels {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Red is the low byte; green and blue come from signed division with a
// remainder of the dividend's sign, so a negative (system-colour) reference
// gives negative green and blue, which the callers' clamping turns into 0.
Channels splitColor(int32_t colour);
// Each channel is clamped to 0..255 first.
int32_t RGB(int red, int green, int blue);
inline int clampChannel(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Lightens (positive amount) or darkens each channel; proportionally, blue
// moves by blue × amount ÷ 192 instead.
int32_t ShadeColor(int32_t colour, int amount, bool proportional);
// Adds the steps, each channel kept between 0 and the limit's channel.
int32_t ShiftColorLimited(int32_t colour, int dr, int dg, int db, int32_t limit);

// Nearest whole number, a half going to the even neighbour.
int roundEven(double value);
// Integer division truncating toward zero; 0 for a zero divisor.
int divOrZero(int dividend, int divisor);

} // namespace command
