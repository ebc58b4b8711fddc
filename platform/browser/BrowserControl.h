#pragma once
// The control that hosts one web browser component: placed, shown and
// focused like any control, its events those of the component.

#include "browser/WebBrowser.h"
#include "toolkit/Control.h"

#include <memory>

namespace tk {

class BrowserControl : public Control {
public:
    // Takes a browser from the factory; a factory that fails throws.
    explicit BrowserControl(Control *container);
    BrowserControl(Control *container, std::unique_ptr<WebBrowser> browser);
    ~BrowserControl() override;

    WebBrowser &browser() const { return *m_browser; }
    WebBrowser *operator->() const { return m_browser.get(); }

    std::unique_ptr<BrowserControl> cloneHidden() const;

private:
    std::unique_ptr<WebBrowser> m_browser;
};

} // namespace tk
