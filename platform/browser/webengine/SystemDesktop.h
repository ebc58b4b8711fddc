#pragma once
// The desktop's own dialogs, as the browser asks for them on the user's
// behalf.

#include "browser/Desktop.h"

namespace tk {

class SystemDesktop : public Desktop {
public:
    // The one the program uses; it lasts the process.
    static SystemDesktop &instance();

    QStringList chooseFiles(QWidget *parent, FileChoice choice, const QStringList &acceptedTypes) override;

private:
    QString m_lastFolder; // where the last choice was made, for the next one
};

// The name filters a file dialog offers for a file input's accepted types:
// those types together, when any is known, then all files.
QStringList fileNameFilters(const QStringList &acceptedTypes);

} // namespace tk
