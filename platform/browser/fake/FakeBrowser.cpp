#include "browser/fake/FakeBrowser.h"

#include "toolkit/TkError.h"

namespace tk {

FakeBrowser::FakeBrowser() : m_widget(new QWidget) {}

FakeBrowser::~FakeBrowser()
{
    delete m_widget.data();
}

void FakeBrowser::Navigate(const QString &url)
{
    navigations << url;
    discarded = false;
    m_location = url;
    m_busy = true;
}

void FakeBrowser::GoBack()
{
    calls << QStringLiteral("GoBack");
    throw TkError(kComponentError);
}

void FakeBrowser::GoForward()
{
    calls << QStringLiteral("GoForward");
    throw TkError(kComponentError);
}

void FakeBrowser::findText(const QString &text, bool backward, std::function<void(int, int)> found)
{
    calls << (text.isEmpty() ? QStringLiteral("Find clear")
                             : QStringLiteral("Find %1%2").arg(text, backward ? " backward" : ""));
    const auto [active, matches] = text.isEmpty() ? std::pair<int, int>() : findAnswer;
    raiseDroppingErrors(found, active, matches);
}

void FakeBrowser::completeLoad(const QString &title)
{
    bool cancel = false;
    raiseDroppingErrors(events.BeforeNavigate2, m_location, cancel);
    if (cancel)
        return;
    m_busy = true;
    raiseDroppingErrors(events.DownloadBegin);
    raiseDroppingErrors(events.ProgressChange, 50, 100);
    raiseDroppingErrors(events.NavigateComplete2, this, m_location);
    m_title = title;
    raiseDroppingErrors(events.TitleChange, title);
    raiseDroppingErrors(events.ProgressChange, -1, 100);
    m_busy = false;
    raiseDroppingErrors(events.DownloadComplete);
}

void FakeBrowser::fireTitleChange(const QString &text)
{
    raiseDroppingErrors(events.TitleChange, text);
}

bool FakeBrowser::fireWindowClosing(bool isChild)
{
    bool cancel = false;
    raiseDroppingErrors(events.WindowClosing, isChild, cancel);
    return cancel;
}

WebBrowser *FakeBrowser::fireNewWindow2(bool *cancel)
{
    WebBrowser *ppDisp = nullptr;
    bool c = false;
    raiseDroppingErrors(events.NewWindow2, ppDisp, c);
    if (cancel)
        *cancel = c;
    return ppDisp;
}

bool FakeBrowser::fireFullScreenRequested(bool on)
{
    bool accept = false;
    raiseDroppingErrors(events.FullScreenRequested, on, accept);
    return accept;
}

void FakeBrowser::install(int failAfter)
{
    auto remaining = std::make_shared<int>(failAfter);
    setBrowserFactory([remaining]() -> std::unique_ptr<WebBrowser> {
        if (*remaining == 0)
            return nullptr;
        if (*remaining > 0)
            --*remaining;
        return std::make_unique<FakeBrowser>();
    });
}

} // namespace tk
