#pragma once
// What the browser asks of the desktop on the user's behalf: its dialogs
// (the file chooser after a click on a file input, the print dialog).
// Production: SystemDesktop (webengine). Tests answer in its place.

#include <QStringList>

class QPrinter;
class QWidget;

namespace tk {

class Desktop {
public:
    virtual ~Desktop() = default;

    enum class FileChoice { One, Many, Folder };
    // The files, or the folder, the user chose; empty when the user
    // cancelled. acceptedTypes are as a file input's accept attribute gives
    // them: MIME types ("text/plain", "image/*") and extensions (".pdf").
    virtual QStringList chooseFiles(QWidget *parent, FileChoice choice, const QStringList &acceptedTypes) = 0;

    // The desktop's print dialog over parent: true when the user chose a
    // printer or a file, printer then set up as chosen.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer) = 0;
};

} // namespace tk
