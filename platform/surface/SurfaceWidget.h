#pragma once
// The widget that shows a drawing surface, clipped to its window region.

#include "surface/DrawSurface.h"

#include <QRegion>
#include <QWidget>

namespace tk {

class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(QWidget *parent = nullptr);
    DrawSurface &surface() { return m_surface; }
    const DrawSurface &surface() const { return m_surface; }
    // The window region; pixels outside it are transparent.
    void setRegion(const QRegion &region);
    // Shows the surface now rather than at the next paint.
    void Refresh();
    // Moves the focus as Tab (next) or Shift+Tab would from the focused widget.
    void moveFocus(bool next);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DrawSurface m_surface;
};

} // namespace tk
