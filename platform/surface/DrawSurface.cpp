#include "surface/DrawSurface.h"

#include "toolkit/Color.h"
#include "win32/SysColors.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tk {

namespace {

constexpr int kDotsPerMeter96 = 3780; // 96 dots per inch
constexpr size_t kInkCacheSize = 8;
constexpr qint64 kMaxPixels = qint64(7680) * 4320; // an 8K screen

// Four pixels a store: rows are filled on every paint, line by line.
void fill32(QRgb *dest, qsizetype count, QRgb value)
{
    using Quad = QRgb __attribute__((vector_size(16)));
    const Quad quad = {value, value, value, value};
    qsizetype i = 0;
    for (; i + 4 <= count; i += 4)
        std::memcpy(dest + i, &quad, sizeof quad);
    for (; i < count; ++i)
        dest[i] = value;
}

QRgb blend(QRgb under, QRgb over, int alpha)
{
    const auto mix = [alpha](int a, int b) { return (a * (255 - alpha) + b * alpha + 127) / 255; };
    return qRgb(mix(qRed(under), qRed(over)), mix(qGreen(under), qGreen(over)),
                mix(qBlue(under), qBlue(over)));
}

QStringList linesOf(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('\r'));
    return t.split(QLatin1Char('\n'));
}

} // namespace

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

DrawSurface::DrawSurface() : m_backColor(GetSysColor(COLOR_BTNFACE))
{
    setFont(defaultFormFont());
}

void DrawSurface::setSize(int width, int height)
{
    if (width == this->width() && height == this->height())
        return;
    makeImage(width, height);
}

void DrawSurface::setScale(int scale)
{
    scale = std::clamp(scale, 1, 8);
    if (scale == m_scale)
        return;
    const int w = width(), h = height();
    m_scale = scale;
    m_inks.clear();
    makeImage(w, h);
}

void DrawSurface::makeImage(int width, int height)
{
    // A surface past any screen (a broken saved size) holds no pixels
    // rather than gigabytes: it draws nothing, as an empty one does.
    if (width <= 0 || height <= 0 || qint64(width) * height * m_scale * m_scale > kMaxPixels) {
        m_image = QImage();
        return;
    }
    m_image = QImage(width * m_scale, height * m_scale, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(m_scale);
    m_image.setDotsPerMeterX(kDotsPerMeter96);
    m_image.setDotsPerMeterY(kDotsPerMeter96);
    Cls();
}

void DrawSurface::Cls()
{
    if (!m_image.isNull())
        m_image.fill(rgbFromBGR(m_backColor));
}

void DrawSurface::plot(int32_t x, int32_t y, QRgb rgb)
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return;
    for (int dy = 0; dy < m_scale; ++dy)
        fill32(reinterpret_cast<QRgb *>(m_image.scanLine(y * m_scale + dy)) + x * m_scale, m_scale, rgb);
}

void DrawSurface::fillSpan(int32_t y, int32_t x0, int32_t x1, QRgb rgb)
{
    if (y < 0 || y >= height())
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, int32_t(width()));
    if (x0 >= x1)
        return;
    for (int dy = 0; dy < m_scale; ++dy)
        fill32(reinterpret_cast<QRgb *>(m_image.scanLine(y * m_scale + dy)) + x0 * m_scale,
               (x1 - x0) * m_scale, rgb);
}

void DrawSurface::FillRect(const RECT &rect, int32_t colour)
{
    const int32_t top = std::max(rect.top, 0) * m_scale;
    const int32_t bottom = std::min(rect.bottom, int32_t(height())) * m_scale;
    const int32_t left = std::max(rect.left, 0) * m_scale;
    const int32_t right = std::min(rect.right, int32_t(width())) * m_scale;
    if (top >= bottom || left >= right)
        return;
    const QRgb rgb = rgbFromBGR(colour);
    uchar *bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    for (int32_t y = top; y < bottom; ++y)
        fill32(reinterpret_cast<QRgb *>(bits + y * stride) + left, right - left, rgb);
}

void DrawSurface::FrameRect(const RECT &rect, int32_t colour)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const QRgb rgb = rgbFromBGR(colour);
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
    const QRgb rgb = rgbFromBGR(m_foreColor);
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
    plot(x, y, rgbFromBGR(colour));
}

int32_t DrawSurface::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height())
        return CLR_INVALID;
    return bgrFromRgb(m_image.pixel(x * m_scale, y * m_scale));
}

void DrawSurface::DrawFocusRect(const RECT &rect)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    // Every other pixel of the border, on a checkerboard fixed to the
    // surface, is inverted: drawing the same rectangle twice removes it.
    auto invert = [this](int32_t x, int32_t y) {
        if ((x + y) % 2 != 0 || x < 0 || y < 0 || x >= width() || y >= height())
            return;
        for (int dy = 0; dy < m_scale; ++dy) {
            QRgb *p = reinterpret_cast<QRgb *>(m_image.scanLine(y * m_scale + dy)) + x * m_scale;
            for (int dx = 0; dx < m_scale; ++dx)
                p[dx] ^= 0x00FFFFFFu;
        }
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
    m_metrics = QFontMetrics(m_qfont);
    m_inks.clear();
}

QString DrawSurface::expandTabs(const QString &text) const
{
    if (!text.contains(QLatin1Char('\t')))
        return text;
    // Qt expands tabs only in left-aligned text; the classic call expands
    // them everywhere, at every eight average character widths.
    const QFontMetrics &fm = m_metrics;
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

const DrawSurface::TextInk &DrawSurface::inkFor(const QString &text, uint32_t flags, QSize size)
{
    for (auto it = m_inks.begin(); it != m_inks.end(); ++it) {
        if (it->flags == flags && it->size == size && it->text == text) {
            if (it != m_inks.begin()) {
                TextInk hit = std::move(*it);
                m_inks.erase(it);
                m_inks.push_front(std::move(hit));
            }
            return m_inks.front();
        }
    }
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

    TextInk ink{text, flags, size, 0, {}};
    // Laid out in pixels, drawn in the device's.
    QImage coverage(size * m_scale, QImage::Format_ARGB32_Premultiplied);
    coverage.setDevicePixelRatio(m_scale);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setFont(m_qfont);
        p.setPen(Qt::black);
        QRect bounds;
        p.drawText(QRect(QPoint(0, 0), size), qflags, t, &bounds);
        ink.height = bounds.height();
    }
    for (int y = 0; y < coverage.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(coverage.constScanLine(y));
        for (int x = 0; x < coverage.width();) {
            const int alpha = qAlpha(row[x]);
            int end = x + 1;
            while (end < coverage.width() && qAlpha(row[end]) == alpha)
                ++end;
            if (alpha != 0)
                ink.runs.push_back({y, x, end, uint8_t(alpha)});
            x = end;
        }
    }
    if (m_inks.size() == kInkCacheSize)
        m_inks.pop_back();
    m_inks.push_front(std::move(ink));
    return m_inks.front();
}

int DrawSurface::DrawTextA(const QString &text, const RECT &rect, uint32_t flags)
{
    if (m_image.isNull() || rect.right <= rect.left || rect.bottom <= rect.top || text.isEmpty())
        return 0;
    const TextInk &ink = inkFor(text, flags, QSize(rect.right - rect.left, rect.bottom - rect.top));
    // The text is transparent: only the pixels it covers take its colour.
    const QRgb colour = rgbFromBGR(m_textColor);
    for (const InkRun &run : ink.runs) {
        const int y = rect.top * m_scale + run.y;
        const int x0 = std::max(rect.left * m_scale + run.x0, 0);
        const int x1 = std::min(rect.left * m_scale + run.x1, int(m_image.width()));
        if (y < 0 || y >= m_image.height() || x0 >= x1)
            continue;
        QRgb *row = reinterpret_cast<QRgb *>(m_image.scanLine(y));
        if (run.alpha == 255)
            fill32(row + x0, x1 - x0, colour);
        else
            for (int x = x0; x < x1; ++x)
                row[x] = blend(row[x], colour, run.alpha);
    }
    return ink.height;
}

int DrawSurface::TextWidth(const QString &text) const
{
    int widest = 0;
    for (const QString &line : linesOf(text))
        widest = std::max(widest, m_metrics.horizontalAdvance(line));
    return widest;
}

int DrawSurface::TextHeight(const QString &text) const
{
    return m_metrics.height() * int(linesOf(text).size());
}

} // namespace tk
