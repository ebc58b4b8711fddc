#pragma once
// What the engine tests look at beyond the contract: the adapter's engine
// page and its count of suppressed dialogs, private to the product.

#include "browser/webengine/QtWebBrowser.h"

namespace tk {

struct QtWebBrowserTestAccess {
    static QWebEnginePage *page(const QtWebBrowser &b) { return b.page(); }
    static int suppressedDialogs(const QtWebBrowser &b) { return b.suppressedDialogs(); }
};

} // namespace tk
