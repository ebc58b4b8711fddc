#include "surface/SurfaceWidget.h"

#include "toolkit/Picture.h"

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

int SurfaceWidget::deviceScale() const
{
    return pixelScale(devicePixelRatio());
}

void SurfaceWidget::paintEvent(QPaintEvent *)
{
    if (m_surface.scale() != deviceScale()) {
        m_surface.setScale(deviceScale());
        if (densityChanged)
            densityChanged();
    }
    QPainter p(this);
    p.drawImage(0, 0, m_surface.image());
}

} // namespace tk
