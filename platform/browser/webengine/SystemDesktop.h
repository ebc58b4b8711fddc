#pragma once
// The desktop's own dialogs, as the user sees them.

#include "browser/Desktop.h"

namespace tk {

class SystemDesktop : public Desktop {
public:
    // The one the browsers use unless given another.
    static SystemDesktop &instance();

    QStringList chooseFiles(QWidget *parent, FileChoice choice, const QStringList &acceptedTypes) override;
    bool choosePrinter(QWidget *parent, QPrinter &printer) override;

private:
    QString m_lastFolder; // where the last file choice was made, for the next one
};

// The name filters a file dialog offers for a file input's accepted types:
// those types together, when any is known, then all files.
QStringList fileNameFilters(const QStringList &acceptedTypes);

} // namespace tk
