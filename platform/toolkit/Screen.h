#pragma once
// The screen's size in twips, and the program's directory.

#include <QSize>
#include <QString>

namespace tk {

class Screen {
public:
    static float Width();
    static float Height();
    // Tests pick a screen of their own size, in pixels; an empty size undoes it.
    static void setOverrideSize(const QSize &pixels);
};

// The directory of the running program, without a trailing separator.
QString appPath();

} // namespace tk
