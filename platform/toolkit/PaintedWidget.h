#pragma once
// A plain widget that a control paints itself.

#include <QPainter>
#include <QWidget>

#include <functional>

namespace tk {

class PaintedWidget : public QWidget {
public:
    using Painter = std::function<void(QPainter &, const QRect &)>;
    explicit PaintedWidget(QWidget *parent = nullptr) : QWidget(parent) {}
    void setPainter(Painter painter)
    {
        m_painter = std::move(painter);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_painter)
            return;
        QPainter p(this);
        m_painter(p, rect());
    }

private:
    Painter m_painter;
};

} // namespace tk
