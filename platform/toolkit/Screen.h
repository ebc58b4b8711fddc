#pragma once
// The screen's size in twips, and the program's directory.

#include <QSize>
#include <QString>

namespace tk {

class Control;

class Screen {
public:
    static float Width();
    static float Height();
    // Tests pick a screen of their own size, in pixels; an empty size undoes it.
    static void setOverrideSize(const QSize &pixels);
};

// Places a control in the middle of the screen for the size given (its
// own by default), not changing its size.
void centreOnScreen(Control &c, float width, float height);
void centreOnScreen(Control &c);

// The directory of the running program, without a trailing separator.
QString appPath();

} // namespace tk
