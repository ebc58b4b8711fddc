#pragma once
// A line drawn on its container from (X1, Y1) to (X2, Y2), in twips. It takes
// no mouse input.

#include "toolkit/Control.h"

#include <QColor>

namespace tk {

class Line : public IntrinsicControl {
public:
    explicit Line(Control *container);

    float X1() const { return m_x1; }
    float Y1() const { return m_y1; }
    float X2() const { return m_x2; }
    float Y2() const { return m_y2; }
    void setX1(float v) { setEnd(m_x1, v); }
    void setY1(float v) { setEnd(m_y1, v); }
    void setX2(float v) { setEnd(m_x2, v); }
    void setY2(float v) { setEnd(m_y2, v); }
    QColor BorderColor() const { return m_color; }
    void setBorderColor(const QColor &color);

private:
    void setEnd(float &coordinate, float v)
    {
        coordinate = v;
        place();
    }
    void place();
    float m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    QColor m_color{Qt::black};
};

} // namespace tk
