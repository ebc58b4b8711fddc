#pragma once
// The web browser component as the tabbed control sees it: one per tab.
// Production: QtWebBrowser (Qt WebEngine). Tests: FakeBrowser. Tabs get their
// browsers from the factory below, so nothing above platform/ names an engine.

#include "toolkit/TkError.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

class QWidget;

namespace tk {

class WebBrowser;

// The events the shell listens to, with the classic component's arguments.
struct WebBrowserEvents {
    std::function<void(int32_t progress, int32_t progressMax)> ProgressChange;
    // A navigation's start and its end (succeeded, failed or stopped), one
    // pair per load and none for a cancelled one. The names are the classic
    // component's: neither is about downloading a file.
    std::function<void()> DownloadBegin;
    std::function<void()> DownloadComplete;
    std::function<void(const QString &text)> TitleChange;
    std::function<void(const QString &szProperty)> PropertyChange;
    std::function<void(const QString &url, bool &cancel)> BeforeNavigate2;
    // ppDisp: set it to another browser's Application() to have the new
    // window's page load there; leave it null (or cancel) to refuse.
    std::function<void(WebBrowser *&ppDisp, bool &cancel)> NewWindow2;
    std::function<void(WebBrowser *pDisp, const QString &url)> NavigateComplete2;
    std::function<void(bool isChildWindow, bool &cancel)> WindowClosing;
    // The page asks to fill the screen (on) or to leave it again. accept
    // answers an entering request; left false, the page stays in its tab.
    // Leaving comes whatever the answer: from the page, a navigation or
    // ExitFullScreen.
    std::function<void(bool on, bool &accept)> FullScreenRequested;
    // A server (HTTP basic or digest), or with proxy set a proxy, wants to
    // know who the user is before it answers. site is who asks (host and
    // port), realm its own words. The engine waits on this call: the handler
    // may ask the user in an event loop of its own, and the browser must not
    // be destroyed meanwhile. signIn set sends user and password; left
    // false, the request goes on without them and the server's own answer
    // shows. The page's Silent does not apply: the user opened the page.
    std::function<void(const QString &site, const QString &realm, bool proxy, QString &user,
                       QString &password, bool &signIn)>
        AuthenticationRequired;
    // While AuthenticationRequired waits, its question went away (the page
    // was sent elsewhere, reloaded or stopped): the handler should end, and
    // its answer is dropped.
    std::function<void()> AuthenticationWithdrawn;
};

// Every call from a component into the shell goes through here: the handler
// runs if one is set, and a toolkit error it passes on stops here, as at the
// toolkit's own event dispatch, because nothing may unwind through the
// engine's frames (tk::raise, for events raised inside the shell, leaves the
// error to whoever called). The fake raises its events the same way, so the
// shell's tests see what the engine gives it. An answer set before the error
// stands.
template <class Handler, class... Args> void raiseDroppingErrors(const Handler &handler, Args &&...args)
{
    if (handler)
        ignoreErrors([&] { handler(std::forward<Args>(args)...); });
}

class WebBrowser {
public:
    virtual ~WebBrowser() = default;

    // The widget that shows the page; the owning control parents and places it.
    virtual QWidget *widget() = 0;

    virtual void Navigate(const QString &url) = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    virtual void GoBack() = 0;    // throws TkError(kComponentError) without history
    virtual void GoForward() = 0; // likewise
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    virtual bool Busy() const = 0;
    // The automation object handed back from NewWindow2: the browser itself.
    virtual WebBrowser *Application() { return this; }
    // Silent keeps the page's own dialogs hidden (alert, confirm, prompt, the
    // question before leaving a page), each answered as by nobody: confirm
    // no, prompt null, leave yes. It does not stop what the user asked for:
    // the file chooser after a click on a file input opens either way.
    // Permission requests are refused either way.
    virtual bool Silent() const = 0;
    virtual void setSilent(bool silent) = 0;
    // Tells the page it is no longer full screen.
    virtual void ExitFullScreen() = 0;
    // The page is not shown for a while: what the engine holds behind it may
    // be given back once it is hidden and its load has ended, its history
    // included (the address and title stay readable). The next Navigate
    // loads at once, as in a new browser.
    virtual void Discard() = 0;
    // The page's zoom, 1 for its own size; each browser keeps its own.
    virtual double zoomFactor() const = 0;
    virtual void setZoomFactor(double factor) = 0;
    // Finds text in the page as the user types it: the engine marks every
    // match and brings the active one into view. The same text again steps
    // to the next match, or with backward to the previous one. found hears
    // the active match (from 1) and the count, for the latest search only;
    // 0 and 0 when nothing matches. Empty text ends the search and clears
    // the marks. Not a dialog of the page's: Silent has no say.
    virtual void findText(const QString &text, bool backward,
                          std::function<void(int activeMatch, int matches)> found) = 0;
    // Prints the page where the user chooses in the desktop's print dialog:
    // a printer or a file. A request while one is being chosen or printed is
    // refused quietly. The user's request, so Silent has no say either.
    virtual void print() = 0;

    WebBrowserEvents events;
};

using BrowserFactory = std::function<std::unique_ptr<WebBrowser>()>;

// The factory every tab's browser comes from. Unset, createBrowser() throws
// TkError(kComponentError).
void setBrowserFactory(BrowserFactory factory);
std::unique_ptr<WebBrowser> createBrowser();

} // namespace tk
