#pragma once
// The engine draws a view's frame and hands it to the view's Qt Quick widget;
// it draws the next one only after the widget has taken it, and until then
// its compositor thread wakes every frame to look. A widget hidden between
// the hand-over and its next paint never takes the frame: a tab switched away
// from, or a window closed to the tray, while its page was animating kept
// that thread waking sixty times a second for as long as it stayed hidden.

class QWidget;

namespace tk {

// From now on, a Qt Quick widget of view asked to paint while hidden, and
// still hidden a moment later, renders once off screen, which takes the
// frame it was handed. The watch lives as long as view does.
void takeFramesWhileHidden(QWidget *view);

} // namespace tk
