#pragma once
// What a page asks of the desktop on the user's behalf, such as the file
// chooser after a click on a file input. Production: SystemDesktop (the
// desktop's own dialogs); tests answer in its place.

#include <QStringList>

class QWidget;

namespace tk {

class Desktop {
public:
    virtual ~Desktop();

    enum class FileChoice { One, Many, Folder };
    // The files, or the folder, the user chose; empty when the user
    // cancelled. acceptedTypes are as a file input's accept attribute gives
    // them: MIME types ("text/plain", "image/*") and extensions (".pdf").
    virtual QStringList chooseFiles(QWidget *parent, FileChoice choice, const QStringList &acceptedTypes) = 0;
};

} // namespace tk
