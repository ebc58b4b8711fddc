#pragma once
// A picture box: a container control with a background colour and an
// optional picture drawn at its top-left corner.

#include "toolkit/Control.h"
#include "toolkit/Picture.h"

#include <QColor>

#include <memory>

namespace tk {

class PictureBox : public IntrinsicControl {
public:
    explicit PictureBox(Control *container);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture) { repaintWith(m_picture, picture); }
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color) { repaintWith(m_backColor, color); }
    // A picture box without a background shows what lies behind it.
    void setTransparent(bool transparent) { repaintWith(m_transparent, transparent); }

    std::unique_ptr<PictureBox> cloneHidden() const;

private:
    Picture m_picture;
    QColor m_backColor{Qt::white};
    bool m_transparent = false;
};

} // namespace tk
