#include "browser/fake/FakeBrowser.h"

#include "toolkit/TkError.h"

#include <algorithm>

namespace tk {

namespace {
std::vector<FakeBrowser *> &live()
{
    static std::vector<FakeBrowser *> v;
    return v;
}
} // namespace

FakeBrowser::FakeBrowser() : m_widget(new QWidget)
{
    live().push_back(this);
}

FakeBrowser::~FakeBrowser()
{
    live().erase(std::remove(live().begin(), live().end(), this), live().end());
    delete m_widget.data();
}

void FakeBrowser::Navigate(const QString &url)
{
    calls << QStringLiteral("Navigate ") + url;
    navigations << url;
    if (!m_location.isEmpty())
        m_back << m_location;
    m_forward.clear();
    m_location = url;
    m_busy = true;
}

void FakeBrowser::Stop()
{
    calls << QStringLiteral("Stop");
    m_busy = false;
}

void FakeBrowser::GoBack()
{
    calls << QStringLiteral("GoBack");
    if (m_back.isEmpty())
        throw TkError(kComponentError);
    m_forward << m_location;
    m_location = m_back.takeLast();
}

void FakeBrowser::GoForward()
{
    calls << QStringLiteral("GoForward");
    if (m_forward.isEmpty())
        throw TkError(kComponentError);
    m_back << m_location;
    m_location = m_forward.takeLast();
}

void FakeBrowser::completeLoad(const QString &title)
{
    bool cancel = false;
    if (events.BeforeNavigate2)
        events.BeforeNavigate2(m_location, cancel);
    if (cancel)
        return;
    m_busy = true;
    if (events.DownloadBegin)
        events.DownloadBegin();
    if (events.ProgressChange)
        events.ProgressChange(50, 100);
    if (events.NavigateComplete2)
        events.NavigateComplete2(this, m_location);
    m_title = title;
    if (events.TitleChange)
        events.TitleChange(title);
    if (events.ProgressChange)
        events.ProgressChange(-1, 100);
    m_busy = false;
    if (events.DownloadComplete)
        events.DownloadComplete();
}

void FakeBrowser::fireTitleChange(const QString &text)
{
    if (events.TitleChange)
        events.TitleChange(text);
}

bool FakeBrowser::fireWindowClosing(bool isChild)
{
    bool cancel = false;
    if (events.WindowClosing)
        events.WindowClosing(isChild, cancel);
    return cancel;
}

WebBrowser *FakeBrowser::fireNewWindow2(bool *cancel)
{
    WebBrowser *ppDisp = nullptr;
    bool c = false;
    if (events.NewWindow2)
        events.NewWindow2(ppDisp, c);
    if (cancel)
        *cancel = c;
    return ppDisp;
}

const std::vector<FakeBrowser *> &FakeBrowser::instances() { return live(); }

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
