#include "toolkit/Screen.h"

#include "toolkit/Control.h"

#include "toolkit/Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace tk {

namespace {
QSize &overrideSize()
{
    static QSize size;
    return size;
}

QSize screenPixels()
{
    if (!overrideSize().isEmpty())
        return overrideSize();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}
} // namespace

float Screen::Width()
{
    return toTwips(screenPixels().width());
}
float Screen::Height()
{
    return toTwips(screenPixels().height());
}
void Screen::setOverrideSize(const QSize &pixels)
{
    overrideSize() = pixels;
}

QString appPath()
{
    return QCoreApplication::applicationDirPath();
}

void centreOnScreen(Control &c, float width, float height)
{
    c.setTop((Screen::Height() - height) / 2);
    c.setLeft((Screen::Width() - width) / 2);
}

void centreOnScreen(Control &c)
{
    centreOnScreen(c, c.Width(), c.Height());
}

} // namespace tk
