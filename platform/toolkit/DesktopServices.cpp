#include "toolkit/DesktopServices.h"

#include "win32/Win32.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace tk {

DesktopServices::DesktopServices()
    : screenSize([] {
          const QScreen *screen = QGuiApplication::primaryScreen();
          return screen ? screen->geometry().size() : QSize(1024, 768);
      }),
      runPopup([](QMenu &menu) { menu.exec(messagePlace()); })
{
}

const DesktopServices &DesktopServices::system()
{
    static const DesktopServices desktop;
    return desktop;
}

} // namespace tk
