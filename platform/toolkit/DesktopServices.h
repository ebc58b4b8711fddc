#pragma once
// What the forms and their controls ask of the desktop around them, in one
// value: the screen's size, running a popup menu, and who hears of an icon
// added to the notification area or of a toolkit error stopped at an event's
// boundary. Made as it is, it is the system's own; tests make one, set what
// they stand in for, and hand it to the forms (Form::setDesktop).

#include <QSize>

#include <functional>

class QMenu;

namespace tk {

struct NOTIFYICONDATA;
class TkError;

struct DesktopServices {
    DesktopServices();

    // The screen's size in pixels.
    std::function<QSize()> screenSize;
    // Shows a filled menu as a popup where the user acted (messagePlace: the
    // pointer, or the point the message being handled came with) and returns
    // once an item was chosen or the menu dismissed.
    std::function<void(QMenu &)> runPopup;
    // Told of the shell's icon the moment it is in the notification area,
    // before the shell goes on. The system's tells no one.
    std::function<void(const NOTIFYICONDATA &)> iconAdded;
    // Told of every toolkit error stopped at an event's boundary. The
    // system's tells no one: the program shows and logs nothing.
    std::function<void(const TkError &)> errorStopped;

    // The one a form and its controls use unless handed another.
    static const DesktopServices &system();
};

} // namespace tk
