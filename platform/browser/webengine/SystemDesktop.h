#pragma once
// The desktop's own dialogs, as the user sees them.

#include "browser/Desktop.h"

namespace tk {

class SystemDesktop : public Desktop {
public:
    // The one the browsers use unless given another.
    static SystemDesktop &instance();

    bool choosePrinter(QWidget *parent, QPrinter &printer) override;
};

} // namespace tk
