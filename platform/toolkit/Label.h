#pragma once
// A label: one line of text; with AutoSize it takes the size of its caption,
// measured in its own font, so a measured width is the width shown.

#include "toolkit/Control.h"

#include <QColor>
#include <QFont>

#include <memory>

namespace tk {

class Label : public IntrinsicControl {
public:
    explicit Label(Control *container);

    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor &color) { repaintWith(m_foreColor, color); }
    // Opaque labels fill their background; transparent ones (the default) don't.
    void setBackColor(const QColor &color) { repaintWith(m_backColor, color); }

    std::unique_ptr<Label> cloneHidden() const;

private:
    void fitToCaption();

    QString m_caption;
    bool m_autoSize = false;
    QFont m_font;
    QColor m_foreColor{Qt::black};
    QColor m_backColor; // invalid: transparent
};

} // namespace tk
