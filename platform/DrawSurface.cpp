#include "DrawSurface.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace tk {

namespace {

constexpr int kDotsPerMeter96 = 3780; // 96 dots per inch

QStringList linesOf(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('\r'));
    return t.split(QLatin1Char('\n'));
}

} // namespace

int32_t GetSysColor(int index)
{
    auto rgb = [](int r, int g, int b) { return int32_t(r | (g << 8) | (b << 16)); };
    switch (index) {
    case 5: return rgb(255, 255, 255);  // window
    case 8: return rgb(0, 0, 0);        // window text
    case 15: return rgb(240, 240, 240); // button face
    case 16: return rgb(160, 160, 160); // button shadow
    case 17: return rgb(109, 109, 109); // grey text
    case 18: return rgb(0, 0, 0);       // button text
    case 20: return rgb(255, 255, 255); // button highlight
    case 21: return rgb(105, 105, 105); // 3-D dark shadow
    case 22: return rgb(227, 227, 227); // 3-D light
    default: return 0;
    }
}

QRgb toQRgb(int32_t colour)
{
    const auto c = uint32_t(colour);
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

int32_t fromQRgb(QRgb rgb)
{
    return int32_t(uint32_t(qRed(rgb)) | (uint32_t(qGreen(rgb)) << 8) | (uint32_t(qBlue(rgb)) << 16));
}

QFont toQFont(const StdFont &font)
{
    QFont f(font.Name);
    // Point sizes are meant at 96 dots per inch, whatever the screen says.
    f.setPixelSize(std::max(1, qRound(font.Size * 96.0 / 72.0)));
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    // Crisp glyphs as the classic text calls draw them at small sizes; the
    // exact colours also keep pixel checks of captions stable.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

DrawSurface::DrawSurface() : m_backColor(GetSysColor(15))
{
    setFont(defaultFormFont());
}

void DrawSurface::setSize(int width, int height)
{
    if (width == m_image.width() && height == m_image.height())
        return;
    if (width <= 0 || height <= 0) {
        m_image = QImage();
        return;
    }
    m_image = QImage(width, height, QImage::Format_RGB32);
    m_image.setDotsPerMeterX(kDotsPerMeter96);
    m_image.setDotsPerMeterY(kDotsPerMeter96);
    Cls();
}

void DrawSurface::Cls()
{
    if (!m_image.isNull())
        m_image.fill(toQRgb(m_backColor));
}

void DrawSurface::plot(int32_t x, int32_t y, QRgb rgb)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = rgb;
}

void DrawSurface::fillSpan(int32_t y, int32_t x0, int32_t x1, QRgb rgb)
{
    if (y < 0 || y >= m_image.height())
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, int32_t(m_image.width()));
    if (x0 >= x1)
        return;
    QRgb *row = reinterpret_cast<QRgb *>(m_image.scanLine(y));
    std::fill(row + x0, row + x1, rgb);
}

void DrawSurface::FillRect(const RECT &rect, int32_t colour)
{
    const QRgb rgb = toQRgb(colour);
    const int32_t top = std::max(rect.top, 0);
    const int32_t bottom = std::min(rect.bottom, int32_t(m_image.height()));
    for (int32_t y = top; y < bottom; ++y)
        fillSpan(y, rect.left, rect.right, rgb);
}

void DrawSurface::FrameRect(const RECT &rect, int32_t colour)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const QRgb rgb = toQRgb(colour);
    fillSpan(rect.top, rect.left, rect.right, rgb);
    fillSpan(rect.bottom - 1, rect.left, rect.right, rgb);
    for (int32_t y = rect.top + 1; y < rect.bottom - 1; ++y) {
        plot(rect.left, y, rgb);
        plot(rect.right - 1, y, rgb);
    }
}

void DrawSurface::MoveToEx(int32_t x, int32_t y)
{
    m_penX = x;
    m_penY = y;
}

void DrawSurface::LineTo(int32_t x, int32_t y)
{
    const QRgb rgb = toQRgb(m_foreColor);
    const int32_t x0 = m_penX, y0 = m_penY;
    m_penX = x;
    m_penY = y;
    if (y0 == y) {
        if (x > x0)
            fillSpan(y, x0, x, rgb);
        else if (x < x0)
            fillSpan(y, x + 1, x0 + 1, rgb);
        return;
    }
    if (x0 == x) {
        const int32_t step = y > y0 ? 1 : -1;
        for (int32_t py = y0; py != y; py += step)
            plot(x, py, rgb);
        return;
    }
    // Bresenham, stopping one short of the end point.
    const int32_t dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int32_t sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int32_t err = dx + dy, px = x0, py = y0;
    while (px != x || py != y) {
        plot(px, py, rgb);
        const int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
}

void DrawSurface::SetPixelV(int32_t x, int32_t y, int32_t colour)
{
    plot(x, y, toQRgb(colour));
}

int32_t DrawSurface::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return CLR_INVALID;
    return fromQRgb(m_image.pixel(x, y));
}

void DrawSurface::DrawFocusRect(const RECT &rect)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    // Every other pixel of the border, on a checkerboard fixed to the
    // surface, is inverted: drawing the same rectangle twice removes it.
    auto invert = [this](int32_t x, int32_t y) {
        if ((x + y) % 2 != 0 || x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
            return;
        QRgb &p = reinterpret_cast<QRgb *>(m_image.scanLine(y))[x];
        p ^= 0x00FFFFFFu;
    };
    for (int32_t x = rect.left; x < rect.right; ++x) {
        invert(x, rect.top);
        if (rect.bottom - 1 > rect.top)
            invert(x, rect.bottom - 1);
    }
    for (int32_t y = rect.top + 1; y < rect.bottom - 1; ++y) {
        invert(rect.left, y);
        if (rect.right - 1 > rect.left)
            invert(rect.right - 1, y);
    }
}

void DrawSurface::setFont(const StdFont &font)
{
    m_font = font;
    m_qfont = toQFont(font);
}

QString DrawSurface::expandTabs(const QString &text) const
{
    if (!text.contains(QLatin1Char('\t')))
        return text;
    // Qt expands tabs only in left-aligned text; the classic call expands
    // them everywhere, at every eight average character widths.
    const QFontMetrics fm(m_qfont);
    const int stop = std::max(1, 8 * fm.averageCharWidth());
    QString out, line;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            out += line + c;
            line.clear();
        } else if (c == QLatin1Char('\t')) {
            const int next = (fm.horizontalAdvance(line) / stop + 1) * stop;
            do
                line += QLatin1Char(' ');
            while (fm.horizontalAdvance(line) < next);
        } else {
            line += c;
        }
    }
    return out + line;
}

int DrawSurface::DrawTextA(const QString &text, const RECT &rect, uint32_t flags)
{
    if (m_image.isNull() || rect.right <= rect.left || rect.bottom <= rect.top || text.isEmpty())
        return 0;
    int qflags = Qt::TextShowMnemonic;
    qflags |= (flags & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    QString t = (flags & DT_EXPANDTABS) ? expandTabs(text) : text;
    if (flags & DT_SINGLELINE) {
        qflags |= Qt::TextSingleLine;
        qflags |= (flags & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    } else {
        qflags |= Qt::AlignTop;
        t.remove(QLatin1Char('\r'));
    }
    if (flags & DT_WORDBREAK)
        qflags |= Qt::TextWordWrap;
    QPainter p(&m_image);
    p.setFont(m_qfont);
    p.setPen(QColor::fromRgb(toQRgb(m_textColor)));
    QRect bounds;
    p.drawText(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), qflags, t,
               &bounds);
    return bounds.height();
}

int DrawSurface::TextWidth(const QString &text) const
{
    const QFontMetrics fm(m_qfont);
    int widest = 0;
    for (const QString &line : linesOf(text))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

int DrawSurface::TextHeight(const QString &text) const
{
    return QFontMetrics(m_qfont).height() * int(linesOf(text).size());
}

SurfaceWidget::SurfaceWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void SurfaceWidget::setRegion(const QRegion &region)
{
    setMask(region);
}

void SurfaceWidget::Refresh()
{
    repaint();
}

void SurfaceWidget::moveFocus(bool next)
{
    focusNextPrevChild(next);
}

void SurfaceWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_surface.image());
}

} // namespace tk
