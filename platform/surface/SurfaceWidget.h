#pragma once
// The widget that shows a drawing surface, clipped to its window region, at
// the density of the screen it is on.

#include "surface/DrawSurface.h"

#include <QRegion>
#include <QWidget>

#include <functional>

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
    // The scale the surface is to be drawn at here (see DrawSurface).
    int deviceScale() const;
    // Told when the widget is to be shown at another density than the one
    // its surface was drawn at (the window moved to another screen): the
    // surface has that scale, cleared, and is to be drawn again.
    std::function<void()> densityChanged;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DrawSurface m_surface;
};

} // namespace tk
