#include "toolkit/Picture.h"

#include <QFileInfo>

namespace tk {

namespace {
int nextHandle()
{
    static int handle = 0x1000;
    return handle += 4;
}
} // namespace

Picture::Picture(const QPixmap &pixmap, const QPixmap &doubled)
{
    if (pixmap.isNull())
        return;
    QPixmap fit;
    if (doubled.size() == pixmap.size() * 2) {
        fit = doubled;
        fit.setDevicePixelRatio(2);
    }
    m_data = std::make_shared<const Data>(Data{pixmap, fit, nextHandle()});
}

Picture Picture::load(const QString &path)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    const QString doubled = path.left(path.size() - suffix.size()) + QStringLiteral("@2x") + suffix;
    return Picture(QPixmap(path), QPixmap(doubled));
}

const QPixmap &Picture::pixmap() const
{
    static const QPixmap none;
    return m_data ? m_data->pixmap : none;
}

const QPixmap &Picture::pixmapFor(qreal devicePixelRatio) const
{
    if (m_data && pixelScale(devicePixelRatio) >= 2 && !m_data->doubled.isNull())
        return m_data->doubled;
    return pixmap();
}

} // namespace tk
