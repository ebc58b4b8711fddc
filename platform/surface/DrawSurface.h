#pragma once
// A drawing surface with the classic device-context operations, in pixels:
// rectangles are left, top, right, bottom with right and bottom exclusive, a
// line leaves out its end point, the focus rectangle is an XOR of every other
// pixel. Colours are 0x00BBGGRR. Every operation writes the image directly and
// clips to it, so callers may draw partly or wholly outside.
//
// On a screen of higher density each pixel is scale × scale pixels of the
// device: the image holds that many, an operation covers all of them for
// each pixel it draws, and text, laid out in pixels, is drawn at the device's
// density. At scale 1 the image's pixels are the surface's.

#include "surface/Rect.h"
#include "surface/TextFormat.h"
#include "toolkit/Ambient.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include <cstdint>
#include <deque>
#include <vector>

namespace tk {

constexpr int32_t CLR_INVALID = -1;

// The Qt font for a saved font at 96 dots per inch (9 points = 12 pixels).
QFont toQFont(const StdFont &font);

class DrawSurface {
public:
    DrawSurface();

    // A new size or scale clears the image.
    void setSize(int width, int height);
    void setScale(int scale);
    int width() const { return m_image.width() / m_scale; }
    int height() const { return m_image.height() / m_scale; }
    int scale() const { return m_scale; }
    // In device pixels, its device pixel ratio the scale.
    const QImage &image() const { return m_image; }

    void setBackColor(int32_t colour) { m_backColor = colour; }
    // Fills the whole surface with the background colour.
    void Cls();

    void FillRect(const RECT &rect, int32_t colour);
    void FrameRect(const RECT &rect, int32_t colour);

    // The pen of MoveToEx/LineTo.
    void setForeColor(int32_t colour) { m_foreColor = colour; }
    void MoveToEx(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);

    void SetPixelV(int32_t x, int32_t y, int32_t colour);
    int32_t GetPixel(int32_t x, int32_t y) const;

    void DrawFocusRect(const RECT &rect);

    void SetTextColor(int32_t colour) { m_textColor = colour; }
    int32_t textColor() const { return m_textColor; }
    void setFont(const StdFont &font);
    const StdFont &font() const { return m_font; }
    // Draws with the flags CENTER, VCENTER, SINGLELINE, EXPANDTABS and
    // WORDBREAK, "&" marking the access key; returns the text's height.
    int DrawTextA(const QString &text, const RECT &rect, uint32_t flags);
    // The text's extent in the surface's font: the widest line and the
    // height of all lines.
    int TextWidth(const QString &text) const;
    int TextHeight(const QString &text) const;

private:
    // A laid-out text as the device pixels it covers, relative to its
    // rectangle: captions are drawn again on every paint, so each is laid
    // out once.
    struct InkRun {
        int y, x0, x1; // x1 exclusive
        uint8_t alpha; // 255 for glyph pixels; less only for smoothed edges
    };
    struct TextInk {
        QString text;
        uint32_t flags = 0;
        QSize size;
        int height = 0;
        std::vector<InkRun> runs;
    };
    const TextInk &inkFor(const QString &text, uint32_t flags, QSize size);

    void plot(int32_t x, int32_t y, QRgb rgb);
    void fillSpan(int32_t y, int32_t x0, int32_t x1, QRgb rgb); // x1 exclusive
    void makeImage(int width, int height);
    QString expandTabs(const QString &text) const;

    QImage m_image;
    QFont m_qfont;
    QFontMetrics m_metrics{QFont()};
    StdFont m_font;
    std::deque<TextInk> m_inks; // most recent first
    int32_t m_backColor;
    int32_t m_foreColor = 0;
    int32_t m_textColor = 0;
    int32_t m_penX = 0;
    int32_t m_penY = 0;
    int m_scale = 1;
};

} // namespace tk
