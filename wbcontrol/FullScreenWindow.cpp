#include "FullScreenWindow.h"

FullScreenWindow::FullScreenWindow()
{
    setBorderless(true);
    setBackColor(Qt::black);
}
