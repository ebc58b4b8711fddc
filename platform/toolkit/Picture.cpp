#include "toolkit/Picture.h"

namespace tk {

namespace {
int nextHandle()
{
    static int handle = 0x1000;
    return handle += 4;
}
} // namespace

Picture::Picture(const QPixmap &pixmap)
{
    if (!pixmap.isNull())
        m_data = std::make_shared<const Data>(Data{pixmap, nextHandle()});
}

Picture Picture::load(const QString &path)
{
    return Picture(QPixmap(path));
}

const QPixmap &Picture::pixmap() const
{
    static const QPixmap none;
    return m_data ? m_data->pixmap : none;
}

} // namespace tk
