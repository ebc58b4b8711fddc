#pragma once
// A picture as controls hold it. Copies share one handle, so "does this piece
// already show that picture" is a handle comparison, as the skins rely on.

#include <QPixmap>
#include <QString>

#include <memory>

namespace tk {

class Picture {
public:
    Picture() = default;
    explicit Picture(const QPixmap &pixmap);
    // Loads a picture file; a missing or unreadable file gives an empty picture.
    static Picture load(const QString &path);

    bool isNull() const { return !m_data || m_data->pixmap.isNull(); }
    // 0 for no picture; copies of one picture share their handle.
    int handle() const { return m_data ? m_data->handle : 0; }
    const QPixmap &pixmap() const;
    QSize size() const { return isNull() ? QSize() : pixmap().size(); }

    friend bool operator==(const Picture &a, const Picture &b) { return a.handle() == b.handle(); }

private:
    struct Data {
        QPixmap pixmap;
        int handle;
    };
    std::shared_ptr<const Data> m_data;
};

} // namespace tk
