#include "browser/BrowserControl.h"

#include <QWidget>

namespace tk {

BrowserControl::BrowserControl(Control *container) : BrowserControl(container, createBrowser()) {}

BrowserControl::BrowserControl(Control *container, std::unique_ptr<WebBrowser> browser)
    : Control(browser->widget(), container), m_browser(std::move(browser))
{
    // The page handles its own mouse, keys and drops.
    setConsumesInput(false);
}

BrowserControl::~BrowserControl()
{
    // The component owns its widget; let it go first.
    m_browser.reset();
}

std::unique_ptr<BrowserControl> BrowserControl::cloneHidden() const
{
    auto copy = std::make_unique<BrowserControl>(Container());
    copy->copyBaseFrom(*this);
    return copy;
}

} // namespace tk
