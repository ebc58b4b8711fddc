#pragma once
// The surface of a user control: a container control with its own
// background colour, placed by its host like any control.

#include "toolkit/Control.h"

#include <QColor>

namespace tk {

class UserControl : public Control {
public:
    explicit UserControl(Control *container);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);

private:
    QColor m_backColor{Qt::lightGray};
};

} // namespace tk
