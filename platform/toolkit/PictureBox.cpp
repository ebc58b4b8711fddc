#include "toolkit/PictureBox.h"

#include "toolkit/PaintedWidget.h"

namespace tk {

PictureBox::PictureBox(Control *container) : IntrinsicControl(new PaintedWidget, container)
{
    static_cast<PaintedWidget *>(peer())->setPainter([this](QPainter &p, const QRect &r) {
        if (!m_transparent)
            p.fillRect(r, m_backColor);
        if (!m_picture.isNull())
            p.drawPixmap(0, 0, m_picture.pixmapFor(p.device()->devicePixelRatio()));
    });
}

std::unique_ptr<PictureBox> PictureBox::cloneHidden() const
{
    auto copy = std::make_unique<PictureBox>(Container());
    copy->copyBaseFrom(*this);
    copy->m_picture = m_picture;
    copy->m_backColor = m_backColor;
    copy->m_transparent = m_transparent;
    return copy;
}

} // namespace tk
