#pragma once
// The gradient button's painting: every style and look drawn into a surface
// from one value that holds all a paint reads.

#include "surface/DrawSurface.h"

#include <QString>

#include <cstdint>

namespace command {

// The six colours a style draws with, filled from the colour scheme.
struct Palette {
    int32_t Face = 0, Light = 0, Highlight = 0, Shadow = 0, DarkShadow = 0, Text = 0;
    friend bool operator==(const Palette &, const Palette &) = default;
};

constexpr uint8_t kNormalLook = 0;
constexpr uint8_t kPressedLook = 2;

// The colours the gradient and flat styles take from their properties.
struct StyleColors {
    int32_t Mid = 0, End = 0;
    int32_t MouseMoveMid = 0, MouseMoveEnd = 0;
    int32_t MouseDownMid = 0, MouseDownEnd = 0;
    int32_t OfficeXpFill = 0, OfficeXpFrame = 0;
    int32_t OfficeXpMousemoveFill = 0, OfficeXpMousemoveFrame = 0;
};

// One paint's view of the button.
struct ButtonLook {
    uint8_t state = kNormalLook; // kNormalLook or kPressedLook
    bool hover = false;
    bool focus = false;        // the button has the focus and shows its rectangle
    bool defaultFrame = false; // the focus, or shown as the host's default button
    bool enabled = true;
    int32_t style = 0; // the button type
    int32_t scheme = 0;
    int32_t xpType = 0;
    int16_t percent = 0;
    int width = 0;
    int height = 0;
    Palette palette;
    QString caption;
    StyleColors colors;
    int32_t rectColor = 0; // the hover outline of styles 1 and 2
    tk::RECT focusRect;
};

// Where the caption goes, up and pressed. A caption too wide for one line is
// centred vertically by moving the rectangle's top, which stays moved.
struct TextRects {
    tk::RECT normal;
    tk::RECT pressed;
};

// Draws the whole button over the surface's current image.
void paintButton(tk::DrawSurface &surface, const ButtonLook &look, TextRects &text);

} // namespace command
