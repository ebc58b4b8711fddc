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

#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QAuthenticator;
class QObject;
class QWebEnginePage;
class QWebEngineView;

namespace tk {

class BrowserPage;

class QtWebBrowser : public WebBrowser {
public:
    QtWebBrowser();
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
    bool Busy() const override { return m_busy; }
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void ExitFullScreen() override;
    void Discard() override;
    double zoomFactor() const override;
    void setZoomFactor(double factor) override;

private:
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
    void discardWhenIdle();

    // Context of every signal connection: dropped first on destruction so no
    // event reaches a browser being torn down.
    std::unique_ptr<QObject> m_context;
    // Alive while the keyboard is kept from a recovering renderer's focus.
    std::unique_ptr<QObject> m_keyboardKeeper;
    QPointer<QWebEngineView> m_view;
    QPointer<BrowserPage> m_page; // a child of m_view; null once discarded, or with the view

    bool m_silent = false;
    bool m_busy = false;
    bool m_loadActive = false;    // between a reported DownloadBegin and its DownloadComplete
    bool m_swallowNext = false;   // a navigation was cancelled; its load pair is not reported
    bool m_swallowing = false;    // inside that cancelled load pair
    bool m_isChild = false;       // the page was created for another page's window.open
    bool m_quietLoad = false;     // our stopped page is loading: none of it is reported
    bool m_discardWanted = false; // Discard asked; done once hidden and idle
    bool m_stopped = false;       // the renderer died; our stopped page stands in for the page
    QUrl m_stoppedUrl;            // the address shown when it died
    QUrl m_discardedUrl;          // what a discarded page showed, until the next one
    QString m_discardedTitle;
    QString m_stoppedTitle;
    unsigned m_requests = 0; // navigations begun: by the caller or the engine
    int m_suppressedDialogs = 0;
    // A sign-in the engine waits on: asked, and the handler not yet returned;
    // withdrawn, when the question went away meanwhile.
    enum class SignIn { None, Asking, Withdrawn };
    SignIn m_signIn = SignIn::None;
};

// Makes tk::createBrowser() hand out QtWebBrowsers.
void registerQtWebBrowserFactory();

} // namespace tk
