#pragma once
// The screen's size in twips, and the program's directory.

#include <QString>

namespace tk {

class Control;

// The screen as the control's desktop has it (Control::desktop).
class Screen {
public:
    static float Width(const Control &on);
    static float Height(const Control &on);
};

// Places a control in the middle of its screen for the size given (its
// own by default), not changing its size.
void centreOnScreen(Control &c, float width, float height);
void centreOnScreen(Control &c);

// The directory of the running program, without a trailing separator.
QString appPath();

} // namespace tk
