#include "browser/WebBrowser.h"

#include "toolkit/TkError.h"

namespace tk {

namespace {
BrowserFactory &factory()
{
    static BrowserFactory f;
    return f;
}
} // namespace

void setBrowserFactory(BrowserFactory f)
{
    factory() = std::move(f);
}

std::unique_ptr<WebBrowser> createBrowser()
{
    if (!factory())
        throw TkError(kComponentError, "no web browser component");
    std::unique_ptr<WebBrowser> browser = factory()();
    if (!browser)
        throw TkError(kComponentError, "the web browser component could not be created");
    return browser;
}

} // namespace tk
