#include "toolkit/Line.h"

#include "toolkit/PaintedWidget.h"
#include "toolkit/Twips.h"

#include <algorithm>

namespace tk {

Line::Line(Control *container) : IntrinsicControl(new PaintedWidget, container)
{
    peer()->setAttribute(Qt::WA_TransparentForMouseEvents);
    static_cast<PaintedWidget *>(peer())->setPainter([this](QPainter &p, const QRect &) {
        const int left = toPixels(std::min(m_x1, m_x2));
        const int top = toPixels(std::min(m_y1, m_y2));
        p.setPen(m_color);
        p.drawLine(toPixels(m_x1) - left, toPixels(m_y1) - top, toPixels(m_x2) - left, toPixels(m_y2) - top);
    });
}

void Line::setBorderColor(const QColor &color)
{
    m_color = color;
    peer()->update();
}

void Line::place()
{
    // The peer covers the line's bounding box, one pixel thick at least.
    const float left = std::min(m_x1, m_x2);
    const float top = std::min(m_y1, m_y2);
    const float width = std::max(std::abs(m_x2 - m_x1), float(kTwipsPerPixel));
    const float height = std::max(std::abs(m_y2 - m_y1), float(kTwipsPerPixel));
    setGeometryTwips(left, top, width, height);
    peer()->update();
}

} // namespace tk
