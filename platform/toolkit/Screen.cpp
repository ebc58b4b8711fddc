#include "toolkit/Screen.h"

#include "toolkit/Control.h"
#include "toolkit/DesktopServices.h"
#include "toolkit/Twips.h"

#include <QCoreApplication>

namespace tk {

float Screen::Width(const Control &on)
{
    return toTwips(on.desktop().screenSize().width());
}
float Screen::Height(const Control &on)
{
    return toTwips(on.desktop().screenSize().height());
}

QString appPath()
{
    return QCoreApplication::applicationDirPath();
}

void centreOnScreen(Control &c, float width, float height)
{
    c.setTop((Screen::Height(c) - height) / 2);
    c.setLeft((Screen::Width(c) - width) / 2);
}

void centreOnScreen(Control &c)
{
    centreOnScreen(c, c.Width(), c.Height());
}

} // namespace tk
