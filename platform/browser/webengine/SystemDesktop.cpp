#include "browser/webengine/SystemDesktop.h"

#include <QPrintDialog>
#include <QPrinter>

namespace tk {

SystemDesktop &SystemDesktop::instance()
{
    static SystemDesktop desktop;
    return desktop;
}

bool SystemDesktop::choosePrinter(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    // What the page shows has no selection to print; everything else the
    // engine takes from the printer (page size, ranges, colour, copies).
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tk
