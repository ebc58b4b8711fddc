// Painting of every style and look, into the surface's pixels.
#include "ButtonPaint.h"

#include "ColorMath.h"
#include "surface/TextFormat.h"

namespace command {

namespace {

constexpr int32_t kFrameLine = 0x733C00;   // R 0, G 60, B 115
constexpr int32_t kFrameCorner = 0x7B4D10; // R 16, G 77, B 123
// A caption on one line, in the middle of its rectangle.
constexpr uint32_t kSingleLineCentred =
    tk::DT_CENTER | tk::DT_VCENTER | tk::DT_SINGLELINE | tk::DT_EXPANDTABS;

void drawBox(tk::DrawSurface &s, int x, int y, int w, int h, int32_t colour, bool frame)
{
    const tk::RECT r{x, y, x + w, y + h};
    if (frame)
        s.FrameRect(r, colour);
    else
        s.FillRect(r, colour);
}

void drawLine(tk::DrawSurface &s, int x1, int y1, int x2, int y2, int32_t colour)
{
    s.setForeColor(colour);
    s.MoveToEx(x1, y1);
    s.LineTo(x2, y2);
}

void drawFocus(tk::DrawSurface &s, const ButtonLook &b)
{
    s.SetTextColor(b.palette.Text);
    s.DrawFocusRect(b.focusRect);
}

void drawRoundFrame(tk::DrawSurface &s, const ButtonLook &b, int32_t lineColour, int32_t cornerColour)
{
    const int W = b.width, H = b.height;
    drawLine(s, 2, 0, W - 2, 0, lineColour);
    drawLine(s, 2, H - 1, W - 2, H - 1, lineColour);
    drawLine(s, 0, 2, 0, H - 2, lineColour);
    drawLine(s, W - 1, 2, W - 1, H - 2, lineColour);
    s.SetPixelV(1, 1, cornerColour);
    s.SetPixelV(1, H - 2, cornerColour);
    s.SetPixelV(W - 2, 1, cornerColour);
    s.SetPixelV(W - 2, H - 2, cornerColour);
}

// A colour as the gradients step it: whole-number channels, or fractional
// ones rounded to the nearest when drawn.
template <typename T> struct Rgb {
    T red, green, blue;
};

int drawn(int channel)
{
    return channel;
}

int drawn(float channel)
{
    return roundEven(channel);
}

int stepped(int channel, int step)
{
    return clampChannel(channel + step);
}

float stepped(float channel, double step)
{
    const float v = float(double(channel) + step);
    return v < 0.0f ? 0.0f : (v > 255.0f ? 255.0f : v);
}

// What each channel moves a row to go from one colour to another over a span
// of rows; nothing over an empty span.
Rgb<double> stepsOver(const Channels &from, const Channels &to, double span)
{
    const auto step = [span](int a, int b) { return span == 0 ? 0.0 : (b - a) / span; };
    return {step(from.red, to.red), step(from.green, to.green), step(from.blue, to.blue)};
}

// Rows from `first` to `last`, one apart in the direction `dir`, across the
// face inside its left and right edges: the first in `colour`, each next one
// moved by `step`, every channel kept between 0 and 255.
template <typename T, typename S>
void drawBand(tk::DrawSurface &s, int width, Rgb<T> colour, const Rgb<S> &step, int first, int last, int dir)
{
    for (int y = first; dir > 0 ? y <= last : y >= last; y += dir) {
        drawLine(s, 1, y, width - 1, y, RGB(drawn(colour.red), drawn(colour.green), drawn(colour.blue)));
        colour = {stepped(colour.red, step.red), stepped(colour.green, step.green),
                  stepped(colour.blue, step.blue)};
    }
}

// Rows `first` to `last` (one apart in the direction `dir`) going from the
// colour towards white over the height less 5; the first row is already one
// step on. A height of 5 gives no span: the colour then stays where it is.
void fadeToWhite(tk::DrawSurface &s, const ButtonLook &b, int r, int g, int bl, int first, int last, int dir)
{
    const Rgb<double> step = stepsOver({r, g, bl}, {255, 255, 255}, b.height - 5);
    const Rgb<float> start{stepped(float(r), step.red), stepped(float(g), step.green),
                           stepped(float(bl), step.blue)};
    drawBand(s, b.width, start, step, first, last, dir);
}

void drawThreeColorGradient(tk::DrawSurface &s, const ButtonLook &b, int32_t c1, int32_t c2, int32_t c3,
                            int16_t percent, bool flat)
{
    const int W = b.width, H = b.height;
    if (flat) {
        drawBox(s, 1, 1, W - 2, H - 2, c1, false);
        drawRoundFrame(s, b, c2, c2);
        return;
    }
    const Channels a = splitColor(c1), c = splitColor(c3);
    const double S = double(H) * percent / 100.0;
    const Rgb<float> split{float(a.red), float(a.green), float(a.blue)};

    // Upper band: from the split line up towards the end colour.
    drawBand(s, W, split, stepsOver(a, c, S - 1), roundEven(S), 1, -1);
    // Highlight rows 1 and 2, fading from white to the end colour.
    const auto fade = [](int channel, int i, int divisor) {
        return clampChannel(255 - divOrZero((255 - channel) * i, divisor));
    };
    for (int i = 0; i <= W - 4; ++i)
        s.SetPixelV(i + 2, 1, RGB(fade(c.red, i, W - 10), fade(c.green, i, W - 10), fade(c.blue, i, W - 10)));
    const int row2 = W - (2 * W) / 3 - 2;
    for (int i = 0; i <= W - W / 3 - 2; ++i)
        s.SetPixelV(i + 2, 2, RGB(fade(c.red, i, row2), fade(c.green, i, row2), fade(c.blue, i, row2)));

    drawLine(s, 1, roundEven(S + 1), W - 1, roundEven(S + 1), c1);
    drawLine(s, 1, roundEven(S + 2), W - 1, roundEven(S + 2), c1);

    // Lower band: from the split colour down towards the end colour.
    drawBand(s, W, split, stepsOver(a, c, H - S - 4), roundEven(S + 3), H - 4, 1);
    if (H >= 10) {
        int32_t read = s.GetPixel(2, H - 10);
        if (read == tk::CLR_INVALID)
            read = 0;
        drawLine(s, 1, H - 9, W - 1, H - 9, read);
        drawLine(s, 1, H - 8, W - 1, H - 8, read);
        drawLine(s, 1, roundEven(S + 5), W - 1, roundEven(S + 5), c1);
        drawLine(s, 1, H - 3, W - 2, H - 3, read);
        drawLine(s, 1, H - 2, W - 2, H - 2, read);
    }
    drawRoundFrame(s, b, c2, c2);
}

void drawBandedGradient(tk::DrawSurface &s, const ButtonLook &b, int32_t c1, int32_t c2, int16_t percent)
{
    const int W = b.width, H = b.height;
    const Channels a = splitColor(c1), f = splitColor(c2);
    const double S = double(H) * percent / 100.0;
    // Whole steps, and a start a little lighter than the middle colour.
    const auto whole = [](const Rgb<double> &d) {
        return Rgb<int>{roundEven(d.red), roundEven(d.green), roundEven(d.blue)};
    };
    const auto lighter = [&a](int by) { return Rgb<int>{a.red + by, a.green + by, a.blue + by}; };

    drawBand(s, W, lighter(10), whole(stepsOver(a, f, S - 1)), roundEven(S), 3, -1);
    for (int y = roundEven(S + 1); y <= roundEven(S + 0.27 * H); ++y)
        drawLine(s, 1, y, W - 1, y, c1);
    drawBand(s, W, lighter(5), whole(stepsOver(a, f, H - S - 4)),
             roundEven((percent + 27) * double(H) / 100.0), H - 4, 1);
    drawBox(s, 1, 1, W - 2, H - 2, RGB(211, 229, 255), true);
    drawBox(s, 2, 2, W - 4, H - 4, RGB(201, 216, 255), true);
    drawLine(s, 1, H - 3, W - 1, H - 3, RGB(207, 234, 255));
    drawRoundFrame(s, b, c2, c2);
}

void drawCaption(tk::DrawSurface &s, const ButtonLook &b, TextRects &text, int32_t colour, bool pressed)
{
    s.SetTextColor(colour);
    if (b.width <= 0 || b.caption.isEmpty())
        return;
    tk::RECT &rect = pressed ? text.pressed : text.normal;
    const int width = s.TextWidth(b.caption);
    if (width <= b.width) {
        s.DrawTextA(b.caption, rect, kSingleLineCentred);
        return;
    }
    const int lines = width / b.width + 1;
    const int top = (b.height - s.TextHeight(b.caption) * lines) / 2;
    rect.top = pressed ? top + 2 : top;
    s.DrawTextA(b.caption, rect, tk::DT_CENTER | tk::DT_WORDBREAK);
}

// The outline that marks a style-1 or style-2 button under the pointer.
void drawHoverOutline(tk::DrawSurface &s, const ButtonLook &b, int32_t color)
{
    const int W = b.width, H = b.height;
    drawBox(s, 2, 1, W - 4, H - 2, color, true);
    drawLine(s, 1, 2, 1, H - 2, color);
    drawLine(s, 3, 2, W - 3, 2, color);
    drawLine(s, W - 2, 2, W - 2, H - 2, color);
    drawLine(s, 3, H - 3, W - 3, H - 3, color);
}

// The bevel of style 2's normal look, without its face (also under the
// disabled look's captions).
void drawStyle2Bevel(tk::DrawSurface &s, const ButtonLook &b)
{
    const int W = b.width, H = b.height;
    const Palette &p = b.palette;
    drawRoundFrame(s, b, p.DarkShadow, p.DarkShadow);
    s.SetPixelV(1, 2, p.Face);
    s.SetPixelV(2, 1, p.Face);
    drawLine(s, 3, 2, W - 3, 2, p.Highlight);
    drawLine(s, 2, 2, 2, H - 3, p.Highlight);
    s.SetPixelV(3, 3, p.Highlight);
    drawLine(s, W - 3, 1, W - 3, H - 3, p.Face);
    drawLine(s, 1, H - 3, W - 3, H - 3, p.Face);
    s.SetPixelV(W - 4, H - 4, p.Face);
    drawLine(s, W - 2, 3, W - 2, H - 2, p.Shadow);
    drawLine(s, 3, H - 2, W - 2, H - 2, p.Shadow);
    s.SetPixelV(W - 3, H - 3, p.Shadow);
    s.SetPixelV(2, H - 2, p.Face);
    s.SetPixelV(2, H - 3, p.Light);
    s.SetPixelV(W - 2, 2, p.Face);
    s.SetPixelV(W - 3, 2, p.Light);
}

// The colours of the frame that marks the default button.
struct DefaultFrameColors {
    int32_t box;    // a box inside the round frame, from row 2 to row H - 3
    int32_t bottom; // the row under the box
    int32_t top;    // the row over it
    int32_t second; // again over the box's top edge
    int32_t sides;  // the columns just inside its left and right edges
};

DefaultFrameColors blueDefaultFrame()
{
    return {RGB(140, 174, 231), RGB(107, 130, 239), RGB(206, 231, 255), RGB(189, 215, 247),
            RGB(181, 209, 240)};
}

// The frame of the default button (of the focused one too) where the pointer
// is not over it; its second row starts `inset` pixels in from either side.
void drawDefaultFrame(tk::DrawSurface &s, const ButtonLook &b, const DefaultFrameColors &c, int inset)
{
    const int W = b.width, H = b.height;
    drawBox(s, 1, 2, W - 2, H - 4, c.box, true);
    drawLine(s, 2, H - 2, W - 2, H - 2, c.bottom);
    drawLine(s, 2, 1, W - 2, 1, c.top);
    drawLine(s, inset, 2, W - inset, 2, c.second);
    drawLine(s, 2, 3, 2, H - 3, c.sides);
    drawLine(s, W - 3, 3, W - 3, H - 3, c.sides);
}

void paintDisabled(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const int W = b.width, H = b.height;
    switch (b.style) {
    case 1:
        drawBox(s, 0, 0, W, H, RGB(244, 244, 234), false);
        drawCaption(s, b, text, RGB(161, 162, 146), false);
        drawRoundFrame(s, b, RGB(201, 199, 186), RGB(201, 199, 186));
        break;
    case 2:
        drawBox(s, 1, 1, W - 2, H - 2, b.palette.Light, false);
        s.SetTextColor(b.palette.Shadow);
        if (W > 0)
            s.DrawTextA(b.caption, text.normal, kSingleLineCentred);
        // The normal bevel (steps 2 to 8).
        drawStyle2Bevel(s, b);
        drawCaption(s, b, text, b.palette.Highlight, true);
        break;
    case 3:
        drawBox(s, 1, 1, W - 2, H - 2, RGB(241, 242, 237), false);
        drawRoundFrame(s, b, RGB(204, 204, 202), RGB(204, 204, 202));
        drawCaption(s, b, text, RGB(171, 168, 153), false);
        break;
    case 4:
        drawBandedGradient(s, b, RGB(198, 218, 255), RGB(128, 140, 162), 53);
        drawCaption(s, b, text, RGB(171, 168, 153), false);
        break;
    case 5:
        if (b.scheme == 3) {
            drawBox(s, 0, 0, W, H, b.colors.OfficeXpFrame, true);
            drawBox(s, 1, 1, W - 2, H - 2, b.colors.OfficeXpFill, false);
            drawCaption(s, b, text, b.colors.OfficeXpFrame, false);
        } else {
            drawBox(s, 0, 0, W, H, RGB(188, 188, 64), true);
            drawBox(s, 1, 1, W - 2, H - 2, RGB(238, 239, 208), false);
            drawCaption(s, b, text, RGB(188, 188, 64), false);
        }
        break;
    default:
        break;
    }
}

void paintStyle1(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const int W = b.width, H = b.height;
    if (b.state == kNormalLook) {
        if (b.scheme == 2 || b.scheme == 3) {
            const float step = 25.0f / float(H);
            const int32_t base = ShadeColor(b.palette.Face, 48, true);
            for (int i = 1; i <= H - 2; ++i)
                drawLine(s, 0, i, W, i, ShadeColor(base, -roundEven(step * float(i)), true));
        } else if (b.xpType == 1) {
            fadeToWhite(s, b, 198, 197, 215, H - 2, 1, -1);
        } else if (b.xpType == 2) {
            int32_t c = RGB(242, 237, 218);
            for (int y = H - 2; y >= 1; --y) {
                c = ShadeColor(c, 1, false);
                drawLine(s, 1, y, W - 2, y, c);
            }
        } else if (b.xpType == 3) {
            fadeToWhite(s, b, 236, 235, 230, H - 2, 1, -1);
        }
        drawRoundFrame(s, b, kFrameLine, kFrameCorner);
        if (b.defaultFrame && !b.hover) {
            if (b.xpType == 2) {
                const int32_t c = RGB(122, 184, 98);
                drawDefaultFrame(s, b, {c, c, c, c, c}, 2);
            } else if (b.xpType == 1 || b.xpType == 3) {
                drawDefaultFrame(s, b, blueDefaultFrame(), 2);
            }
            drawFocus(s, b);
        }
        if (b.hover)
            drawHoverOutline(s, b, b.xpType == 2 ? RGB(228, 144, 80) : b.rectColor);
        drawCaption(s, b, text, b.palette.Text, false);
    } else if (b.state == kPressedLook) {
        if (b.xpType == 1) {
            fadeToWhite(s, b, 171, 170, 188, 1, H - 2, 1);
        } else if (b.xpType == 2) {
            const float step = 15.0f / float(H);
            const int32_t base = ShadeColor(ShadeColor(b.palette.Face, 48, true), -32, true);
            for (int i = 1; i <= H; ++i)
                drawLine(s, 0, H - i, W, H - i, ShadeColor(base, -roundEven(step * float(i)), true));
        } else if (b.xpType == 3) {
            fadeToWhite(s, b, 224, 224, 216, 1, H - 2, 1);
        }
        drawCaption(s, b, text, b.palette.Text, true);
        drawRoundFrame(s, b, kFrameLine, kFrameCorner);
        if (b.focus)
            drawFocus(s, b);
    }
}

void paintStyle2(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const int W = b.width, H = b.height;
    const Palette &p = b.palette;
    if (b.state == kNormalLook) {
        drawBox(s, 1, 1, W - 2, H - 2, p.Light, false);
        drawStyle2Bevel(s, b);
        if (b.defaultFrame && !b.hover)
            drawDefaultFrame(s, b, blueDefaultFrame(), 1);
        if (b.hover)
            drawHoverOutline(s, b, b.rectColor);
        drawCaption(s, b, text, p.Text, false);
    } else if (b.state == kPressedLook) {
        const auto S = [&p](int n) { return ShadeColor(p.Shadow, n, false); };
        drawBox(s, 1, 1, W - 2, H - 2, S(-16), false);
        drawLine(s, 2, 0, W - 2, 0, p.DarkShadow);
        drawLine(s, 2, H - 1, W - 2, H - 1, p.DarkShadow);
        drawLine(s, 0, 2, 0, H - 2, p.DarkShadow);
        drawLine(s, W - 1, 2, W - 1, H - 2, p.DarkShadow);
        drawBox(s, 1, 1, W - 2, H - 2, S(-64), true);
        drawBox(s, 2, 2, W - 4, H - 4, S(-32), true);
        s.SetPixelV(2, 2, S(-64));
        s.SetPixelV(3, 3, S(-32));
        s.SetPixelV(1, 1, p.DarkShadow);
        s.SetPixelV(1, H - 2, p.DarkShadow);
        s.SetPixelV(W - 2, 1, p.DarkShadow);
        s.SetPixelV(W - 2, H - 2, p.DarkShadow);
        drawLine(s, W - 3, 1, W - 3, H - 3, p.Shadow);
        drawLine(s, 1, H - 3, W - 2, H - 3, p.Shadow);
        s.SetPixelV(W - 4, H - 4, p.Shadow);
        drawLine(s, W - 2, 3, W - 2, H - 2, S(-16));
        drawLine(s, 3, H - 2, W - 2, H - 2, S(-16));
        s.SetPixelV(W - 2, H - 3, S(-32));
        s.SetPixelV(W - 3, H - 2, S(-32));
        s.SetPixelV(2, H - 2, S(-32));
        s.SetPixelV(2, H - 3, S(-16));
        s.SetPixelV(1, H - 3, S(-16));
        s.SetPixelV(W - 2, 2, S(-32));
        s.SetPixelV(W - 3, 2, S(-16));
        s.SetPixelV(W - 3, 1, S(-16));
        drawCaption(s, b, text, p.Light, true);
    }
}

void paintStyle3(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const bool system = b.scheme == 1;
    const StyleColors &c = b.colors;
    if (b.state == kNormalLook) {
        drawThreeColorGradient(s, b, c.Mid, system ? RGB(183, 183, 183) : RGB(1, 109, 1), c.End, b.percent,
                               false);
        if (b.hover)
            drawThreeColorGradient(s, b, c.MouseMoveMid, system ? RGB(82, 134, 182) : RGB(1, 109, 1),
                                   c.MouseMoveEnd, b.percent, false);
        if (b.defaultFrame)
            drawFocus(s, b);
        drawCaption(s, b, text, b.palette.Text, false);
    } else if (b.state == kPressedLook) {
        if (system)
            drawThreeColorGradient(s, b, c.MouseDownMid, RGB(203, 130, 62), c.MouseDownEnd, b.percent, false);
        else
            drawThreeColorGradient(s, b, c.MouseDownMid, RGB(84, 157, 84), c.MouseDownEnd, b.percent, true);
        drawCaption(s, b, text, b.palette.Text, true);
        if (b.focus)
            drawFocus(s, b);
    }
}

void paintStyle4(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const int32_t frame = RGB(81, 107, 148);
    if (b.state == kNormalLook) {
        drawBandedGradient(s, b, b.hover ? b.colors.MouseMoveMid : b.colors.Mid, frame, b.percent);
        if (b.defaultFrame)
            drawFocus(s, b);
        drawCaption(s, b, text, b.palette.Text, false);
    } else if (b.state == kPressedLook) {
        drawBandedGradient(s, b, b.colors.MouseDownMid, frame, b.percent);
        drawCaption(s, b, text, b.palette.Text, true);
        if (b.focus)
            drawFocus(s, b);
    }
}

void paintStyle5(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    const int W = b.width, H = b.height;
    const StyleColors &c = b.colors;
    if (b.state == kNormalLook) {
        int32_t fill;
        if (b.hover) {
            drawBox(s, 0, 0, W, H, c.OfficeXpMousemoveFrame, true);
            fill = c.OfficeXpMousemoveFill;
        } else {
            drawBox(s, 0, 0, W, H, c.OfficeXpFrame, true);
            fill = c.OfficeXpFill;
        }
        drawBox(s, 1, 1, W - 2, H - 2, fill, false);
        if (b.focus)
            drawFocus(s, b);
        drawCaption(s, b, text, b.palette.Text, false);
    } else if (b.state == kPressedLook) {
        drawBox(s, 0, 0, W, H, c.OfficeXpMousemoveFrame, true);
        const int32_t limit = RGB(250, 250, 250);
        const int32_t fill = b.scheme == 3 ? ShiftColorLimited(c.OfficeXpMousemoveFill, -40, -30, -15, limit)
                                           : ShiftColorLimited(c.OfficeXpMousemoveFill, -30, -30, -60, limit);
        drawBox(s, 1, 1, W - 2, H - 2, fill, false);
        drawCaption(s, b, text, b.palette.Text, true);
        if (b.focus)
            drawFocus(s, b);
    }
}

} // namespace

void paintButton(tk::DrawSurface &s, const ButtonLook &b, TextRects &text)
{
    drawBox(s, 0, 0, b.width, b.height, b.palette.Face, false);
    if (!b.enabled) {
        paintDisabled(s, b, text);
        return;
    }
    s.SetTextColor(b.palette.Text);
    switch (b.style) {
    case 1:
        paintStyle1(s, b, text);
        break;
    case 2:
        paintStyle2(s, b, text);
        break;
    case 3:
        paintStyle3(s, b, text);
        break;
    case 4:
        paintStyle4(s, b, text);
        break;
    case 5:
        paintStyle5(s, b, text);
        break;
    default:
        // Unknown styles show the caption on the bare face, and only when up.
        if (b.state == kNormalLook)
            drawCaption(s, b, text, b.palette.Text, false);
        break;
    }
}

} // namespace command
