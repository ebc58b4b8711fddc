// Painting of every style and look, into the surface's pixels.
#include "ColorMath.h"
#include "Command.h"
#include "surface/TextFormat.h"

namespace command {

namespace {
constexpr int32_t kFrameLine = 0x733C00;   // R 0, G 60, B 115
constexpr int32_t kFrameCorner = 0x7B4D10; // R 16, G 77, B 123
// A caption on one line, in the middle of its rectangle.
constexpr uint32_t kSingleLineCentred =
    tk::DT_CENTER | tk::DT_VCENTER | tk::DT_SINGLELINE | tk::DT_EXPANDTABS;
} // namespace

void Command::DrawBox(int x, int y, int w, int h, int32_t colour, bool frame)
{
    const tk::RECT r{x, y, x + w, y + h};
    if (frame)
        drawSurface().FrameRect(r, colour);
    else
        drawSurface().FillRect(r, colour);
}

void Command::DrawLine(int x1, int y1, int x2, int y2, int32_t colour)
{
    tk::DrawSurface &s = drawSurface();
    s.setForeColor(colour);
    s.MoveToEx(x1, y1);
    s.LineTo(x2, y2);
}

void Command::PutPixel(int x, int y, int32_t colour)
{
    drawSurface().SetPixelV(x, y, colour);
}

void Command::DrawFocus()
{
    drawSurface().SetTextColor(m_Palette.Text);
    drawSurface().DrawFocusRect(m_FocusRect);
}

void Command::DrawRoundFrame(int32_t lineColour, int32_t cornerColour)
{
    const int W = m_W, H = m_H;
    DrawLine(2, 0, W - 2, 0, lineColour);
    DrawLine(2, H - 1, W - 2, H - 1, lineColour);
    DrawLine(0, 2, 0, H - 2, lineColour);
    DrawLine(W - 1, 2, W - 1, H - 2, lineColour);
    PutPixel(1, 1, cornerColour);
    PutPixel(1, H - 2, cornerColour);
    PutPixel(W - 2, 1, cornerColour);
    PutPixel(W - 2, H - 2, cornerColour);
}

void Command::FadeToWhite(int r, int g, int b, int first, int last, int step)
{
    // A height of 5 would divide by zero: the colour then stays as it starts.
    const int d = m_H - 5;
    const double dr = d == 0 ? 0.0 : double(255 - r) / d;
    const double dg = d == 0 ? 0.0 : double(255 - g) / d;
    const double db = d == 0 ? 0.0 : double(255 - b) / d;
    float R = float(r), G = float(g), B = float(b);
    const auto limit = [](float v) { return v > 255.0f ? 255.0f : (v < 0.0f ? 0.0f : v); };
    for (int y = first; step > 0 ? y <= last : y >= last; y += step) {
        R = limit(float(double(R) + dr));
        G = limit(float(double(G) + dg));
        B = limit(float(double(B) + db));
        DrawLine(1, y, m_W - 1, y, RGB(roundEven(R), roundEven(G), roundEven(B)));
    }
}

void Command::DrawThreeColorGradient(int32_t c1, int32_t c2, int32_t c3, int16_t percent, bool flat)
{
    const int W = m_W, H = m_H;
    if (flat) {
        DrawBox(1, 1, W - 2, H - 2, c1, false);
        DrawRoundFrame(c2, c2);
        return;
    }
    const Channels a = splitColor(c1), c = splitColor(c3);
    const double S = double(H) * percent / 100.0;
    const auto clampF = [](float v) { return v < 0.0f ? 0.0f : (v > 255.0f ? 255.0f : v); };
    const auto stepOf = [](int from, int to, double span) { return span == 0 ? 0.0 : (to - from) / span; };

    // Upper band: from the split line up towards the end colour.
    {
        const double sr = stepOf(a.red, c.red, S - 1), sg = stepOf(a.green, c.green, S - 1),
                     sb = stepOf(a.blue, c.blue, S - 1);
        float R = float(a.red), G = float(a.green), B = float(a.blue);
        for (int y = roundEven(S); y >= 1; --y) {
            DrawLine(1, y, W - 1, y, RGB(roundEven(R), roundEven(G), roundEven(B)));
            R = clampF(float(double(R) + sr));
            G = clampF(float(double(G) + sg));
            B = clampF(float(double(B) + sb));
        }
    }
    // Highlight rows 1 and 2, fading from white to the end colour.
    const auto fade = [](int channel, int i, int divisor) {
        return clampChannel(255 - divOrZero((255 - channel) * i, divisor));
    };
    for (int i = 0; i <= W - 4; ++i)
        PutPixel(i + 2, 1, RGB(fade(c.red, i, W - 10), fade(c.green, i, W - 10), fade(c.blue, i, W - 10)));
    const int row2 = W - (2 * W) / 3 - 2;
    for (int i = 0; i <= W - W / 3 - 2; ++i)
        PutPixel(i + 2, 2, RGB(fade(c.red, i, row2), fade(c.green, i, row2), fade(c.blue, i, row2)));

    DrawLine(1, roundEven(S + 1), W - 1, roundEven(S + 1), c1);
    DrawLine(1, roundEven(S + 2), W - 1, roundEven(S + 2), c1);

    // Lower band: from the split colour down towards the end colour.
    {
        const double span = H - S - 4;
        const double sr = stepOf(a.red, c.red, span), sg = stepOf(a.green, c.green, span),
                     sb = stepOf(a.blue, c.blue, span);
        float R = float(a.red), G = float(a.green), B = float(a.blue);
        for (int y = roundEven(S + 3); y <= H - 4; ++y) {
            DrawLine(1, y, W - 1, y, RGB(roundEven(R), roundEven(G), roundEven(B)));
            R = clampF(float(double(R) + sr));
            G = clampF(float(double(G) + sg));
            B = clampF(float(double(B) + sb));
        }
    }
    if (H >= 10) {
        int32_t read = drawSurface().GetPixel(2, H - 10);
        if (read == tk::CLR_INVALID)
            read = 0;
        DrawLine(1, H - 9, W - 1, H - 9, read);
        DrawLine(1, H - 8, W - 1, H - 8, read);
        DrawLine(1, roundEven(S + 5), W - 1, roundEven(S + 5), c1);
        DrawLine(1, H - 3, W - 2, H - 3, read);
        DrawLine(1, H - 2, W - 2, H - 2, read);
    }
    DrawRoundFrame(c2, c2);
}

void Command::DrawBandedGradient(int32_t c1, int32_t c2, int16_t percent)
{
    const int W = m_W, H = m_H;
    const Channels a = splitColor(c1), f = splitColor(c2);
    const double S = double(H) * percent / 100.0;
    const auto stepOf = [](int from, int to, double span) {
        return span == 0 ? 0 : roundEven((to - from) / span);
    };
    {
        const int sr = stepOf(a.red, f.red, S - 1), sg = stepOf(a.green, f.green, S - 1),
                  sb = stepOf(a.blue, f.blue, S - 1);
        int R = a.red + 10, G = a.green + 10, B = a.blue + 10;
        for (int y = roundEven(S); y >= 3; --y) {
            DrawLine(1, y, W - 1, y, RGB(R, G, B));
            R = clampChannel(R + sr);
            G = clampChannel(G + sg);
            B = clampChannel(B + sb);
        }
    }
    for (int y = roundEven(S + 1); y <= roundEven(S + 0.27 * H); ++y)
        DrawLine(1, y, W - 1, y, c1);
    {
        const double span = H - S - 4;
        const int sr = stepOf(a.red, f.red, span), sg = stepOf(a.green, f.green, span),
                  sb = stepOf(a.blue, f.blue, span);
        int R = a.red + 5, G = a.green + 5, B = a.blue + 5;
        for (int y = roundEven((percent + 27) * double(H) / 100.0); y <= H - 4; ++y) {
            DrawLine(1, y, W - 1, y, RGB(R, G, B));
            R = clampChannel(R + sr);
            G = clampChannel(G + sg);
            B = clampChannel(B + sb);
        }
    }
    DrawBox(1, 1, W - 2, H - 2, RGB(211, 229, 255), true);
    DrawBox(2, 2, W - 4, H - 4, RGB(201, 216, 255), true);
    DrawLine(1, H - 3, W - 1, H - 3, RGB(207, 234, 255));
    DrawRoundFrame(c2, c2);
}

bool Command::defaultFrame() const
{
    return (m_ShowFocusRect && m_ambient.DisplayAsDefault) || m_focusFlag;
}

void Command::drawCaption(int32_t colour, bool pressed)
{
    tk::DrawSurface &s = drawSurface();
    s.SetTextColor(colour);
    if (m_W <= 0 || m_Caption.isEmpty())
        return;
    tk::RECT &rect = pressed ? m_PressedTextRect : m_TextRect;
    const int width = s.TextWidth(m_Caption);
    if (width <= m_W) {
        s.DrawTextA(m_Caption, rect, kSingleLineCentred);
        return;
    }
    const int lines = width / m_W + 1;
    const int top = (m_H - s.TextHeight(m_Caption) * lines) / 2;
    rect.top = pressed ? top + 2 : top;
    s.DrawTextA(m_Caption, rect, tk::DT_CENTER | tk::DT_WORDBREAK);
}

void Command::PaintButton(uint8_t state, bool force)
{
    if (!force && m_Caption == m_LastCaption && state == m_DrawState)
        return;
    if (m_H == 0)
        return;
    m_DrawState = state;
    m_LastCaption = m_Caption;
    m_focusFlag = m_HasFocus && m_ShowFocusRect;

    tk::DrawSurface &s = drawSurface();
    s.Cls();
    DrawBox(0, 0, m_W, m_H, m_Palette.Face, false);
    if (!Enabled()) {
        paintDisabled();
    } else {
        s.SetTextColor(m_Palette.Text);
        switch (m_ButtonType) {
        case 1:
            paintStyle1(state);
            break;
        case 2:
            paintStyle2(state);
            break;
        case 3:
            paintStyle3(state);
            break;
        case 4:
            paintStyle4(state);
            break;
        case 5:
            paintStyle5(state);
            break;
        default:
            // Unknown styles show the caption on the bare face, and only when up.
            if (state == kNormalLook)
                drawCaption(m_Palette.Text, false);
            break;
        }
    }
    m_focusFlag = false;
    peer()->update();
}

void Command::paintDisabled()
{
    const int W = m_W, H = m_H;
    switch (m_ButtonType) {
    case 1:
        DrawBox(0, 0, W, H, RGB(244, 244, 234), false);
        drawCaption(RGB(161, 162, 146), false);
        DrawRoundFrame(RGB(201, 199, 186), RGB(201, 199, 186));
        break;
    case 2: {
        DrawBox(1, 1, W - 2, H - 2, m_Palette.Light, false);
        tk::DrawSurface &s = drawSurface();
        s.SetTextColor(m_Palette.Shadow);
        if (W > 0)
            s.DrawTextA(m_Caption, m_TextRect, kSingleLineCentred);
        const Palette &p = m_Palette;
        // The normal bevel (steps 2 to 8).
        drawStyle2Bevel();
        drawCaption(p.Highlight, true);
        break;
    }
    case 3:
        DrawBox(1, 1, W - 2, H - 2, RGB(241, 242, 237), false);
        DrawRoundFrame(RGB(204, 204, 202), RGB(204, 204, 202));
        drawCaption(RGB(171, 168, 153), false);
        break;
    case 4:
        DrawBandedGradient(RGB(198, 218, 255), RGB(128, 140, 162), 53);
        drawCaption(RGB(171, 168, 153), false);
        break;
    case 5:
        if (m_ColorScheme == 3) {
            DrawBox(0, 0, W, H, m_OfficeXpFrameColor, true);
            DrawBox(1, 1, W - 2, H - 2, m_OfficeXpFillColor, false);
            drawCaption(m_OfficeXpFrameColor, false);
        } else {
            DrawBox(0, 0, W, H, RGB(188, 188, 64), true);
            DrawBox(1, 1, W - 2, H - 2, RGB(238, 239, 208), false);
            drawCaption(RGB(188, 188, 64), false);
        }
        break;
    default:
        break;
    }
}

void Command::paintStyle1(uint8_t state)
{
    const int W = m_W, H = m_H;
    if (state == kNormalLook) {
        if (m_ColorScheme == 2 || m_ColorScheme == 3) {
            const float step = 25.0f / float(H);
            const int32_t base = ShadeColor(m_Palette.Face, 48, true);
            for (int i = 1; i <= H - 2; ++i)
                DrawLine(0, i, W, i, ShadeColor(base, -roundEven(step * float(i)), true));
        } else if (m_XpType == 1) {
            FadeToWhite(198, 197, 215, H - 2, 1, -1);
        } else if (m_XpType == 2) {
            int32_t c = RGB(242, 237, 218);
            for (int y = H - 2; y >= 1; --y) {
                c = ShadeColor(c, 1, false);
                DrawLine(1, y, W - 2, y, c);
            }
        } else if (m_XpType == 3) {
            FadeToWhite(236, 235, 230, H - 2, 1, -1);
        }
        DrawRoundFrame(kFrameLine, kFrameCorner);
        if (defaultFrame() && !m_IsHover) {
            if (m_XpType == 2) {
                const int32_t c = RGB(122, 184, 98);
                DrawBox(1, 2, W - 2, H - 4, c, true);
                DrawLine(2, H - 2, W - 2, H - 2, c);
                DrawLine(2, 1, W - 2, 1, c);
                DrawLine(2, 2, W - 2, 2, c);
                DrawLine(2, 3, 2, H - 3, c);
                DrawLine(W - 3, 3, W - 3, H - 3, c);
            } else if (m_XpType == 1 || m_XpType == 3) {
                DrawBox(1, 2, W - 2, H - 4, RGB(140, 174, 231), true);
                DrawLine(2, H - 2, W - 2, H - 2, RGB(107, 130, 239));
                DrawLine(2, 1, W - 2, 1, RGB(206, 231, 255));
                DrawLine(2, 2, W - 2, 2, RGB(189, 215, 247));
                DrawLine(2, 3, 2, H - 3, RGB(181, 209, 240));
                DrawLine(W - 3, 3, W - 3, H - 3, RGB(181, 209, 240));
            }
            DrawFocus();
        }
        if (m_IsHover)
            drawHoverOutline(m_XpType == 2 ? RGB(228, 144, 80) : m_rectcolor);
        drawCaption(m_Palette.Text, false);
    } else if (state == kPressedLook) {
        if (m_XpType == 1) {
            FadeToWhite(171, 170, 188, 1, H - 2, 1);
        } else if (m_XpType == 2) {
            const float step = 15.0f / float(H);
            const int32_t base = ShadeColor(ShadeColor(m_Palette.Face, 48, true), -32, true);
            for (int i = 1; i <= H; ++i)
                DrawLine(0, H - i, W, H - i, ShadeColor(base, -roundEven(step * float(i)), true));
        } else if (m_XpType == 3) {
            FadeToWhite(224, 224, 216, 1, H - 2, 1);
        }
        drawCaption(m_Palette.Text, true);
        DrawRoundFrame(kFrameLine, kFrameCorner);
        if (m_focusFlag)
            DrawFocus();
    }
}

// The outline that marks a style-1 or style-2 button under the pointer.
void Command::drawHoverOutline(int32_t color)
{
    const int W = m_W, H = m_H;
    DrawBox(2, 1, W - 4, H - 2, color, true);
    DrawLine(1, 2, 1, H - 2, color);
    DrawLine(3, 2, W - 3, 2, color);
    DrawLine(W - 2, 2, W - 2, H - 2, color);
    DrawLine(3, H - 3, W - 3, H - 3, color);
}

// The bevel of style 2's normal look, without its face (also under the
// disabled look's captions).
void Command::drawStyle2Bevel()
{
    const int W = m_W, H = m_H;
    const Palette &p = m_Palette;
    DrawLine(2, 0, W - 2, 0, p.DarkShadow);
    DrawLine(2, H - 1, W - 2, H - 1, p.DarkShadow);
    DrawLine(0, 2, 0, H - 2, p.DarkShadow);
    DrawLine(W - 1, 2, W - 1, H - 2, p.DarkShadow);
    PutPixel(1, 1, p.DarkShadow);
    PutPixel(1, H - 2, p.DarkShadow);
    PutPixel(W - 2, 1, p.DarkShadow);
    PutPixel(W - 2, H - 2, p.DarkShadow);
    PutPixel(1, 2, p.Face);
    PutPixel(2, 1, p.Face);
    DrawLine(3, 2, W - 3, 2, p.Highlight);
    DrawLine(2, 2, 2, H - 3, p.Highlight);
    PutPixel(3, 3, p.Highlight);
    DrawLine(W - 3, 1, W - 3, H - 3, p.Face);
    DrawLine(1, H - 3, W - 3, H - 3, p.Face);
    PutPixel(W - 4, H - 4, p.Face);
    DrawLine(W - 2, 3, W - 2, H - 2, p.Shadow);
    DrawLine(3, H - 2, W - 2, H - 2, p.Shadow);
    PutPixel(W - 3, H - 3, p.Shadow);
    PutPixel(2, H - 2, p.Face);
    PutPixel(2, H - 3, p.Light);
    PutPixel(W - 2, 2, p.Face);
    PutPixel(W - 3, 2, p.Light);
}

void Command::paintStyle2(uint8_t state)
{
    const int W = m_W, H = m_H;
    const Palette &p = m_Palette;
    if (state == kNormalLook) {
        DrawBox(1, 1, W - 2, H - 2, p.Light, false);
        drawStyle2Bevel();
        if (defaultFrame() && !m_IsHover) {
            DrawBox(1, 2, W - 2, H - 4, RGB(140, 174, 231), true);
            DrawLine(2, H - 2, W - 2, H - 2, RGB(107, 130, 239));
            DrawLine(2, 1, W - 2, 1, RGB(206, 231, 255));
            DrawLine(1, 2, W - 1, 2, RGB(189, 215, 247));
            DrawLine(2, 3, 2, H - 3, RGB(181, 209, 240));
            DrawLine(W - 3, 3, W - 3, H - 3, RGB(181, 209, 240));
        }
        if (m_IsHover)
            drawHoverOutline(m_rectcolor);
        drawCaption(p.Text, false);
    } else if (state == kPressedLook) {
        const auto S = [&p](int n) { return ShadeColor(p.Shadow, n, false); };
        DrawBox(1, 1, W - 2, H - 2, S(-16), false);
        DrawLine(2, 0, W - 2, 0, p.DarkShadow);
        DrawLine(2, H - 1, W - 2, H - 1, p.DarkShadow);
        DrawLine(0, 2, 0, H - 2, p.DarkShadow);
        DrawLine(W - 1, 2, W - 1, H - 2, p.DarkShadow);
        DrawBox(1, 1, W - 2, H - 2, S(-64), true);
        DrawBox(2, 2, W - 4, H - 4, S(-32), true);
        PutPixel(2, 2, S(-64));
        PutPixel(3, 3, S(-32));
        PutPixel(1, 1, p.DarkShadow);
        PutPixel(1, H - 2, p.DarkShadow);
        PutPixel(W - 2, 1, p.DarkShadow);
        PutPixel(W - 2, H - 2, p.DarkShadow);
        DrawLine(W - 3, 1, W - 3, H - 3, p.Shadow);
        DrawLine(1, H - 3, W - 2, H - 3, p.Shadow);
        PutPixel(W - 4, H - 4, p.Shadow);
        DrawLine(W - 2, 3, W - 2, H - 2, S(-16));
        DrawLine(3, H - 2, W - 2, H - 2, S(-16));
        PutPixel(W - 2, H - 3, S(-32));
        PutPixel(W - 3, H - 2, S(-32));
        PutPixel(2, H - 2, S(-32));
        PutPixel(2, H - 3, S(-16));
        PutPixel(1, H - 3, S(-16));
        PutPixel(W - 2, 2, S(-32));
        PutPixel(W - 3, 2, S(-16));
        PutPixel(W - 3, 1, S(-16));
        drawCaption(p.Light, true);
    }
}

void Command::paintStyle3(uint8_t state)
{
    const bool system = m_ColorScheme == 1;
    if (state == kNormalLook) {
        DrawThreeColorGradient(m_MidColor, system ? RGB(183, 183, 183) : RGB(1, 109, 1), m_EndColor,
                               m_Percent, false);
        if (m_IsHover)
            DrawThreeColorGradient(m_MouseMoveMidColor, system ? RGB(82, 134, 182) : RGB(1, 109, 1),
                                   m_MouseMoveEndColor, m_Percent, false);
        if (defaultFrame())
            DrawFocus();
        drawCaption(m_Palette.Text, false);
    } else if (state == kPressedLook) {
        if (system)
            DrawThreeColorGradient(m_MouseDownMidColor, RGB(203, 130, 62), m_MouseDownEndColor, m_Percent,
                                   false);
        else
            DrawThreeColorGradient(m_MouseDownMidColor, RGB(84, 157, 84), m_MouseDownEndColor, m_Percent,
                                   true);
        drawCaption(m_Palette.Text, true);
        if (m_focusFlag)
            DrawFocus();
    }
}

void Command::paintStyle4(uint8_t state)
{
    const int32_t frame = RGB(81, 107, 148);
    if (state == kNormalLook) {
        DrawBandedGradient(m_IsHover ? m_MouseMoveMidColor : m_MidColor, frame, m_Percent);
        if (defaultFrame())
            DrawFocus();
        drawCaption(m_Palette.Text, false);
    } else if (state == kPressedLook) {
        DrawBandedGradient(m_MouseDownMidColor, frame, m_Percent);
        drawCaption(m_Palette.Text, true);
        if (m_focusFlag)
            DrawFocus();
    }
}

void Command::paintStyle5(uint8_t state)
{
    const int W = m_W, H = m_H;
    if (state == kNormalLook) {
        int32_t fill;
        if (m_IsHover) {
            DrawBox(0, 0, W, H, m_OfficeXpMousemoveFrameColor, true);
            fill = m_OfficeXpMousemoveFillColor;
        } else {
            DrawBox(0, 0, W, H, m_OfficeXpFrameColor, true);
            fill = m_OfficeXpFillColor;
        }
        DrawBox(1, 1, W - 2, H - 2, fill, false);
        if (m_focusFlag)
            DrawFocus();
        drawCaption(m_Palette.Text, false);
    } else if (state == kPressedLook) {
        DrawBox(0, 0, W, H, m_OfficeXpMousemoveFrameColor, true);
        const int32_t limit = RGB(250, 250, 250);
        const int32_t fill = m_ColorScheme == 3
                                 ? ShiftColorLimited(m_OfficeXpMousemoveFillColor, -40, -30, -15, limit)
                                 : ShiftColorLimited(m_OfficeXpMousemoveFillColor, -30, -30, -60, limit);
        DrawBox(1, 1, W - 2, H - 2, fill, false);
        drawCaption(m_Palette.Text, true);
        if (m_focusFlag)
            DrawFocus();
    }
}

} // namespace command
