#include "surface/SurfaceWidget.h"

#include <QPainter>

namespace tk {

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
