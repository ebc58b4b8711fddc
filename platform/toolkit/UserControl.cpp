#include "toolkit/UserControl.h"

#include "toolkit/PaintedWidget.h"

namespace tk {

UserControl::UserControl(Control *container) : Control(new PaintedWidget, container)
{
    static_cast<PaintedWidget *>(peer())->setPainter(
        [this](QPainter &p, const QRect &r) { p.fillRect(r, m_backColor); });
}

void UserControl::setBackColor(const QColor &color)
{
    m_backColor = color;
    peer()->update();
}

} // namespace tk
