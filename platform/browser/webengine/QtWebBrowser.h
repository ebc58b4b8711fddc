#pragma once
// The production web browser component: a QWebEngineView whose page reports
// the engine's signals as the classic component's events.
//
// Lifetime: the browser owns its view (and the view its page) unless the
// owning control deletes the view first. Every browser must be destroyed
// before the QApplication, and not from inside one of its own event handlers
// (defer that, e.g. with a queued call), because the engine is still on the
// stack of the page that raised the event; that includes an event loop run
// inside AuthenticationRequired.

#include "browser/WebBrowser.h"
#include "browser/webengine/SystemDesktop.h"

#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QAuthenticator;
class QObject;
class QPrinter;
class QWebEnginePage;
class QWebEngineView;

namespace tk {

class BrowserPage;

class QtWebBrowser : public WebBrowser {
public:
    // The desktop answers the user's requests for its dialogs (the file
    // chooser, printing); it must outlive the browser.
    explicit QtWebBrowser(Desktop &desktop = SystemDesktop::instance());
    ~QtWebBrowser() override;
    QtWebBrowser(const QtWebBrowser &) = delete;
    QtWebBrowser &operator=(const QtWebBrowser &) = delete;

    QWidget *widget() override;
    void Navigate(const QString &url) override;
    void Refresh() override;
    void Stop() override;
    void GoBack() override;
    void GoForward() override;
    QString LocationURL() const override;
    QString LocationName() const override;
    bool Busy() const override { return m_load != Load::Idle; }
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void ExitFullScreen() override;
    void Discard() override;
    double zoomFactor() const override;
    void setZoomFactor(double factor) override;
    void findText(const QString &text, bool backward,
                  std::function<void(int activeMatch, int matches)> found) override;
    void print() override;

private:
    // The caller's load: what Busy and the DownloadBegin/DownloadComplete pair
    // report.
    //   Idle    -> Asked    Navigate, Refresh of a stopped page, an allowed navigation
    //   Asked   -> Idle     Stop, a cancelled navigation, a commit outside any load
    //   any     -> Running  the engine starts a load that is reported (DownloadBegin)
    //   Running -> Idle     that load ends, or its renderer died (DownloadComplete)
    // A load that never starts (a javascript: address, one Chromium skips)
    // leaves Asked to the next commit or Stop.
    enum class Load {
        Idle,
        Asked,   // busy, and the engine has not started the load yet
        Running, // between a reported DownloadBegin and its DownloadComplete
    };

    // Whose load pair (loadStarted .. loadFinished) the engine is inside
    // (current) and whose it starts next: only the caller's is reported. A
    // rejected navigation still gets a pair, and while our stopped page loads
    // every pair counts as its.
    //   next     Shown       -> Cancelled    a navigation is cancelled
    //   next     Cancelled   -> Shown        a later navigation request, or Navigate(about:blank)
    //   next     any         -> StoppedPage  our stopped page is asked for, outside a hidden pair
    //   current  hidden      -> StoppedPage  the same inside one: that pair's end ends it
    //   current  any         -> next's       a load starts while next is hidden; next -> Shown
    //   current  StoppedPage (stays)         a load starts inside it; next -> Shown
    //   current  hidden      -> Shown        a load ends
    //   both     any         -> Shown        the page is discarded, with the pairs it had yet to run
    // A navigation cancelled inside a hidden pair thus hides the pair after it too.
    enum class Pair {
        Shown,       // the caller's, or none
        Cancelled,   // a cancelled navigation's
        StoppedPage, // our stopped page's: while it loads, nothing is reported
    };

    // What the page stands for, and whether it is to go (*: with or without
    // DiscardWanted).
    //   Live(*)         -> Stopped(*)       its renderer crashed
    //   Stopped(*)      -> Live(*)          a navigation request (a reload of its address included)
    //   Live, Stopped   -> *DiscardWanted   Discard
    //   *DiscardWanted  -> Live, Stopped    a request that loads (Navigate, Refresh, history, a
    //                                       new window's target)
    //   *DiscardWanted  -> Live             the page went, hidden and idle (the next page is new)
    enum class PageState {
        Live,                 // the engine's page shows what it loaded
        Stopped,              // its renderer died: our stopped page stands in for it
        DiscardWanted,        // Live, and Discard asked: done once hidden and idle
        StoppedDiscardWanted, // Stopped, and Discard asked
    };
    enum class PageEvent { RendererCrashed, NavigationRequested, LoadAsked, DiscardAsked, Discarded };

    friend class BrowserPage;
    // The tests' way in (tests/engine); the product reaches the engine
    // through the contract alone.
    friend struct QtWebBrowserTestAccess;

    // The engine page; null once the view is gone.
    QWebEnginePage *page() const;
    // How many dialogs Silent has kept from the user so far.
    int suppressedDialogs() const { return m_suppressedDialogs; }

    // The page, made anew after Discard let it go; throws
    // TkError(kComponentError) once the view is gone.
    BrowserPage &livePage();
    BrowserPage &pageToLoad();      // livePage, and a pending Discard is off
    BrowserPage *pageIfAny() const; // null while discarded; throws as livePage
    BrowserPage &createPage();
    void goThroughHistory(bool back);
    bool onNavigationRequest(const QUrl &url, bool reported);
    QWebEnginePage *onNewWindow();
    void onLoadStarted();
    void onLoadProgress(int progress);
    void onLoadFinished();
    void onUrlChanged(const QUrl &url);
    void onCloseRequested();
    void onSignInAsked(const QString &site, QAuthenticator *auth, bool proxy);
    void withdrawSignIn();
    void onRendererGone(bool crashed);
    void showStoppedPage();
    void keepKeyboardWhileRecovering();
    void stopKeepingKeyboardSoon();
    void stopKeepingKeyboard(QObject *keeper);
    void discardSoon(); // discardWhenIdle, queued, if a discard is wanted
    void discardWhenIdle();
    void onPrintRequested();
    void onPrintFinished();
    static void letPrintingFinish(QWebEngineView *view, std::unique_ptr<QPrinter> printer);

    // The one place each state changes.
    void setLoad(Load load) { m_load = load; }
    void setPairs(Pair current, Pair next);
    void pageEvent(PageEvent event);
    // A navigation was asked for: the caller sees Busy at once.
    void askLoad();
    // A navigation the engine will not start leaves Busy to a load already running.
    void dropAskedLoad();
    // A cancelled navigation's pair comes next; a later navigation request
    // supersedes it.
    void expectCancelledPair();
    void forgetCancelledPair();
    void askStoppedPage();
    bool stoppedPageLoading() const
    {
        return m_currentPair == Pair::StoppedPage || m_nextPair == Pair::StoppedPage;
    }
    bool stopped() const
    {
        return m_pageState == PageState::Stopped || m_pageState == PageState::StoppedDiscardWanted;
    }
    bool discardWanted() const
    {
        return m_pageState == PageState::DiscardWanted || m_pageState == PageState::StoppedDiscardWanted;
    }

    // Context of every signal connection: dropped first on destruction so no
    // event reaches a browser being torn down.
    std::unique_ptr<QObject> m_context;
    // Alive while the keyboard is kept from a recovering renderer's focus.
    std::unique_ptr<QObject> m_keyboardKeeper;
    Desktop &m_desktop;
    QPointer<QWebEngineView> m_view;
    QPointer<BrowserPage> m_page; // a child of m_view; null once discarded, or with the view

    bool m_silent = false;
    bool m_isChild = false; // the page was created for another page's window.open
    Load m_load = Load::Idle;
    Pair m_currentPair = Pair::Shown;
    Pair m_nextPair = Pair::Shown;
    PageState m_pageState = PageState::Live;
    QUrl m_stoppedUrl;   // the address shown when it died
    QUrl m_discardedUrl; // what a discarded page showed, until the next one
    QString m_discardedTitle;
    QString m_stoppedTitle;
    unsigned m_requests = 0; // navigations begun: by the caller or the engine
    int m_suppressedDialogs = 0;
    unsigned m_searches = 0; // find requests so far: only the latest one's answer is heard

    // A print goes from the user's choice in the dialog to the engine's end.
    enum class Printing { Idle, Choosing, Printing };
    Printing m_printing = Printing::Idle;
    std::unique_ptr<QPrinter> m_printer; // what the engine prints on, while it does
    // A sign-in the engine waits on: asked, and the handler not yet returned;
    // withdrawn, when the question went away meanwhile.
    enum class SignIn { None, Asking, Withdrawn };
    SignIn m_signIn = SignIn::None;
};

// Makes tk::createBrowser() hand out QtWebBrowsers on that desktop.
void registerQtWebBrowserFactory(Desktop &desktop = SystemDesktop::instance());

// A page still printing when its browser went is kept until the engine is
// done with it: this waits for those (at most boundMs), so that the engine
// can go after them.
void finishPrinting(int boundMs);

} // namespace tk
