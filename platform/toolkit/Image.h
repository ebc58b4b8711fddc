#pragma once
// An image control: shows its picture, stretched to its size or at the
// picture's own size (which it then takes).

#include "toolkit/Control.h"
#include "toolkit/Picture.h"

#include <memory>

namespace tk {

class Image : public IntrinsicControl {
public:
    explicit Image(Control *container);

    const Picture &picture() const { return m_picture; }
    void setPicture(const Picture &picture);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch) { repaintWith(m_stretch, stretch); }

    // A control-array element: a hidden copy of this one.
    std::unique_ptr<Image> cloneHidden() const;

private:
    Picture m_picture;
    bool m_stretch = false;
};

} // namespace tk
