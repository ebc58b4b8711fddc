#pragma once
// What the browser asks of the desktop on the user's behalf: its dialogs.
// Production: SystemDesktop (webengine). Tests answer in its place.

class QPrinter;
class QWidget;

namespace tk {

class Desktop {
public:
    virtual ~Desktop() = default;

    // The desktop's print dialog over parent: true when the user chose a
    // printer or a file, printer then set up as chosen.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer) = 0;
};

} // namespace tk
