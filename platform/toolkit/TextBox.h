#pragma once
// A one-line text box.

#include "toolkit/Control.h"

#include <QColor>
#include <QFont>

class QLineEdit;

namespace tk {

class TextBox : public IntrinsicControl {
public:
    explicit TextBox(Control *container);
    QString Text() const;
    void setText(const QString &text);
    void setBackColor(const QColor &color);
    void setFont(const QFont &font);
    QLineEdit *edit() const;
};

} // namespace tk
