#pragma once
// A picture as controls hold it. Copies share one handle, so "does this piece
// already show that picture" is a handle comparison, as the skins rely on.
// Beside the picture itself it may hold the same picture drawn at twice the
// density, for screens of a device pixel ratio of 1.5 and more; its size is
// always the picture's own.

#include <QPixmap>
#include <QString>

#include <algorithm>
#include <memory>

namespace tk {

// The whole number of device pixels that one pixel is drawn with at a device
// pixel ratio: the ratio rounded, never below 1.
inline int pixelScale(qreal devicePixelRatio)
{
    return std::max(1, qRound(devicePixelRatio));
}

class Picture {
public:
    Picture() = default;
    explicit Picture(const QPixmap &pixmap, const QPixmap &doubled = QPixmap());
    // Loads a picture file, and with it the file of the same name with "@2x"
    // before its suffix where that is twice as large each way; a missing or
    // unreadable file gives an empty picture, and a missing or unfit "@2x"
    // file a picture of one density.
    static Picture load(const QString &path);

    bool isNull() const { return !m_data || m_data->pixmap.isNull(); }
    // 0 for no picture; copies of one picture share their handle.
    int handle() const { return m_data ? m_data->handle : 0; }
    const QPixmap &pixmap() const;
    // What to draw on a device of this pixel ratio: the picture at twice the
    // density where there is one and the ratio rounds to 2 or more (its own
    // ratio 2, so it covers the same place), else the picture itself.
    const QPixmap &pixmapFor(qreal devicePixelRatio) const;
    QSize size() const { return isNull() ? QSize() : pixmap().size(); }

    friend bool operator==(const Picture &a, const Picture &b) { return a.handle() == b.handle(); }

private:
    struct Data {
        QPixmap pixmap;
        QPixmap doubled;
        int handle;
    };
    std::shared_ptr<const Data> m_data;
};

} // namespace tk
