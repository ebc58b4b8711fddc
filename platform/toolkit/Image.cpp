#include "toolkit/Image.h"

#include "toolkit/PaintedWidget.h"
#include "toolkit/Twips.h"

namespace tk {

Image::Image(Control *container) : IntrinsicControl(new PaintedWidget, container)
{
    static_cast<PaintedWidget *>(peer())->setPainter([this](QPainter &p, const QRect &r) {
        if (m_picture.isNull())
            return;
        const QPixmap &pixmap = m_picture.pixmapFor(p.device()->devicePixelRatio());
        if (m_stretch)
            p.drawPixmap(r, pixmap);
        else
            p.drawPixmap(0, 0, pixmap);
    });
}

void Image::setPicture(const Picture &picture)
{
    m_picture = picture;
    if (!m_stretch && !picture.isNull())
        Move(Left(), Top(), toTwips(picture.size().width()), toTwips(picture.size().height()));
    peer()->update();
}

std::unique_ptr<Image> Image::cloneHidden() const
{
    auto copy = std::make_unique<Image>(Container());
    copy->copyBaseFrom(*this);
    copy->m_stretch = m_stretch;
    copy->m_picture = m_picture;
    return copy;
}

} // namespace tk
