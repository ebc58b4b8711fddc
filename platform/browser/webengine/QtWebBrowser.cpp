#include "browser/webengine/QtWebBrowser.h"

#include "browser/webengine/EngineProfile.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/TkError.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tk {

namespace {

// What a tab shows once its renderer has died: local, without script, with a
// link back to the address it showed.
QString stoppedPageHtml(const QUrl &url, const QString &title)
{
    const QString address = url.toString().toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset='utf-8'><title>%1</title></head>"
                          "<body style='font: 15px sans-serif; margin: 48px; color: #333'>"
                          "<h1 style='font-size: 20px'>This page stopped</h1>"
                          "<p>The process that showed it ended unexpectedly.</p>"
                          "<p><a href=\"%2\">Reload the page</a></p></body></html>")
        .arg(title.isEmpty() ? address : title.toHtmlEscaped(), address);
}

// What the engine frees for a page that went (a discarded page's objects, a
// renderer's host side once it has ended) stays in this process's heap until
// the allocator is asked to hand it back: most of the page's share here. The
// frees trickle in after the page went, and no signal says when they are
// done, so the heap is trimmed once they have been quiet for a moment.
constexpr int kFreedMemoryQuietMs = 1000;

void returnFreedMemorySoon()
{
#if defined(__GLIBC__)
    static QPointer<QTimer> quiet;
    if (!quiet) {
        quiet = new QTimer(QCoreApplication::instance());
        quiet->setSingleShot(true);
        quiet->setInterval(kFreedMemoryQuietMs);
        QObject::connect(quiet, &QTimer::timeout, [] { ::malloc_trim(0); });
    }
    quiet->start();
#endif
}

// How long after our stopped page has loaded the keyboard is still kept
// from the engine's late focus (the window system reports it a moment after
// it was asked for), and how long at most it is kept at all.
constexpr int kKeyboardSettleMs = 1000;
constexpr int kKeyboardKeptAtMostMs = 10000;

} // namespace

// The engine asks its questions through these virtuals; the browser answers.
class BrowserPage : public QWebEnginePage {
public:
    BrowserPage(QtWebBrowser *browser, QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent), m_browser(browser)
    {
    }

    // The browser is going away; the page answers alone until it follows.
    void detach() { m_browser = nullptr; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (!m_browser || !isMainFrame)
            return true;
        // Reloads (the user's, a crash recovery, a discarded tab waking up) and
        // server redirects are not new navigations: one BeforeNavigate2 each.
        const bool reported = type != NavigationTypeReload && type != NavigationTypeRedirect;
        return m_browser->onNavigationRequest(url, reported);
    }

    QWebEnginePage *createWindow(WebWindowType) override
    {
        return m_browser ? m_browser->onNewWindow() : nullptr;
    }

    void javaScriptAlert(const QUrl &origin, const QString &msg) override
    {
        if (!silenced())
            QWebEnginePage::javaScriptAlert(origin, msg);
    }

    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override
    {
        if (!silenced())
            return QWebEnginePage::javaScriptConfirm(origin, msg);
        // beforeunload reaches us as a confirm carrying Qt's fixed text: let the
        // page go, as nobody can be asked.
        return msg.startsWith(QLatin1String("Are you sure you want to leave this page"));
    }

    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue,
                          QString *result) override
    {
        if (!silenced())
            return QWebEnginePage::javaScriptPrompt(origin, msg, defaultValue, result);
        return false; // prompt() returns null
    }

    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override
    {
        if (!silenced())
            return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
        return {};
    }

private:
    // Whether a dialog must stay hidden; counts the ones that do.
    bool silenced()
    {
        if (!m_browser)
            return true; // being destroyed: nobody to show it to
        if (!m_browser->m_silent)
            return false;
        ++m_browser->m_suppressedDialogs;
        return true;
    }

    QtWebBrowser *m_browser;
};

QtWebBrowser::QtWebBrowser() : m_context(std::make_unique<QObject>())
{
    startupMark("engine starting");
    // Owned by this browser (deleted in the destructor); the control parents it.
    m_view = new QWebEngineView;
    createPage();
    startupMark("engine page made");
}

// A page as a new browser has it: no history, no zoom, nothing pending.
BrowserPage &QtWebBrowser::createPage()
{
    m_page = new BrowserPage(this, EngineProfile::instance().profile(), m_view);
    m_view->setPage(m_page);
    m_isChild = false;
    m_discardedUrl.clear();
    m_discardedTitle.clear();
    // Off by default; the shell decides whether a request is granted.
    m_page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);

    QObject *ctx = m_context.get();
    QWebEnginePage *p = m_page;
    QObject::connect(p, &QWebEnginePage::loadStarted, ctx, [this] { onLoadStarted(); });
    QObject::connect(p, &QWebEnginePage::loadProgress, ctx, [this](int v) { onLoadProgress(v); });
    QObject::connect(p, &QWebEnginePage::loadFinished, ctx, [this](bool) { onLoadFinished(); });
    QObject::connect(p, &QWebEnginePage::urlChanged, ctx, [this](const QUrl &u) { onUrlChanged(u); });
    QObject::connect(p, &QWebEnginePage::titleChanged, ctx,
                     [this](const QString &title) { raiseDroppingErrors(events.TitleChange, title); });
    QObject::connect(p, &QWebEnginePage::windowCloseRequested, ctx, [this] { onCloseRequested(); });
    QObject::connect(p, &QWebEnginePage::renderProcessTerminated, ctx,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                         // Normal termination also comes when pages close or are discarded.
                         const bool crashed = status != QWebEnginePage::NormalTerminationStatus;
                         if (!crashed)
                             returnFreedMemorySoon();
                         onRendererGone(crashed);
                     });

    QObject::connect(p, &QWebEnginePage::fullScreenRequested, ctx,
                     [this](QWebEngineFullScreenRequest request) {
                         const bool on = request.toggleOn();
                         bool accept = false;
                         raiseDroppingErrors(events.FullScreenRequested, on, accept);
                         // A request left unanswered never settles the page's promise and the
                         // page never asks again: refusing is accepting, then leaving at once.
                         request.accept();
                         if (on && !accept)
                             QMetaObject::invokeMethod(
                                 m_context.get(), [this] { ExitFullScreen(); }, Qt::QueuedConnection);
                     });

    // Silent: no certificate exceptions and no permissions.
    QObject::connect(p, &QWebEnginePage::certificateError, ctx,
                     [this](const QWebEngineCertificateError &error) {
                         if (m_silent) {
                             QWebEngineCertificateError e = error;
                             e.rejectCertificate();
                         }
                     });
    QObject::connect(p, &QWebEnginePage::featurePermissionRequested, ctx,
                     [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                         if (m_silent && m_page)
                             m_page->setFeaturePermission(origin, feature,
                                                          QWebEnginePage::PermissionDeniedByUser);
                     });
    // A sign-in is the user's, not the page's own dialog: asked, Silent or not.
    QObject::connect(p, &QWebEnginePage::authenticationRequired, ctx,
                     [this](const QUrl &url, QAuthenticator *auth) {
                         onSignInAsked(url.adjusted(QUrl::RemoveUserInfo).authority(), auth, false);
                     });
    QObject::connect(p, &QWebEnginePage::proxyAuthenticationRequired, ctx,
                     [this](const QUrl &, QAuthenticator *auth, const QString &proxyHost) {
                         onSignInAsked(proxyHost, auth, true);
                     });
    return *m_page;
}

QtWebBrowser::~QtWebBrowser()
{
    m_keyboardKeeper.reset();
    m_context.reset(); // disconnects every event first
    if (m_page)
        m_page->detach();
    delete m_view.data(); // null if the control deleted it already; takes the page along
}

QWidget *QtWebBrowser::widget()
{
    return m_view;
}

QWebEnginePage *QtWebBrowser::page() const
{
    return m_page;
}

BrowserPage &QtWebBrowser::livePage()
{
    if (!m_view)
        throw TkError(kComponentError, "the web browser's view is gone");
    return m_page ? *m_page : createPage();
}

// A request that loads wants the page kept.
BrowserPage &QtWebBrowser::pageToLoad()
{
    withdrawSignIn();
    BrowserPage &page = livePage();
    m_discardWanted = false;
    return page;
}

BrowserPage *QtWebBrowser::pageIfAny() const
{
    if (!m_view)
        throw TkError(kComponentError, "the web browser's view is gone");
    return m_page;
}

void QtWebBrowser::Navigate(const QString &address)
{
    BrowserPage &page = pageToLoad();
    QString text = address.trimmed();
    // Chromium blocks about: URLs that are not lower case ("about:Blank" ends
    // as about:blank#blocked).
    if (text.startsWith(QLatin1String("about:"), Qt::CaseInsensitive))
        text = text.toLower();
    QUrl url = QUrl::fromUserInput(text);
    if (url.isEmpty() || !url.isValid())
        url = QUrl(QStringLiteral("about:blank"));
    if (url.scheme() == QLatin1String("about") && url.path() == QLatin1String("blank")) {
        // The engine loads about:blank without asking acceptNavigationRequest,
        // so ask here; cancelled, nothing is loaded at all.
        const bool go = onNavigationRequest(url, true);
        m_swallowNext = false;
        if (!go)
            return;
    }
    // The engine starts asynchronously; the caller sees Busy at once. A
    // javascript: address runs in the page and starts no load at all.
    if (url.scheme() != QLatin1String("javascript"))
        m_busy = true;
    ++m_requests;
    page.load(url);
}

void QtWebBrowser::Refresh()
{
    BrowserPage &page = pageToLoad();
    ++m_requests;
    // Reloading our stopped page would only show it again.
    if (m_stopped) {
        m_busy = true;
        page.load(m_stoppedUrl);
        return;
    }
    page.triggerAction(QWebEnginePage::Reload);
}

void QtWebBrowser::Stop()
{
    withdrawSignIn();
    if (BrowserPage *page = pageIfAny())
        page->triggerAction(QWebEnginePage::Stop);
    // A started load still ends with its DownloadComplete; one that never
    // started is gone.
    m_busy = m_loadActive;
}

void QtWebBrowser::GoBack()
{
    goThroughHistory(true);
}

void QtWebBrowser::GoForward()
{
    goThroughHistory(false);
}

void QtWebBrowser::goThroughHistory(bool back)
{
    BrowserPage &page = pageToLoad();
    if (!(back ? page.history()->canGoBack() : page.history()->canGoForward()))
        throw TkError(kComponentError, back ? "no page to go back to" : "no page to go forward to");
    // Busy is left to the engine: Chromium may skip the step entirely
    // (entries a script added without a user gesture).
    ++m_requests;
    page.triggerAction(back ? QWebEnginePage::Back : QWebEnginePage::Forward);
}

// A stopped page stands for the address it replaced.
QString QtWebBrowser::LocationURL() const
{
    if (m_stopped)
        return m_stoppedUrl.toString();
    return (m_page ? m_page->url() : m_discardedUrl).toString();
}

double QtWebBrowser::zoomFactor() const
{
    return m_page ? m_page->zoomFactor() : 1.0;
}

void QtWebBrowser::setZoomFactor(double factor)
{
    livePage().setZoomFactor(factor);
}

QString QtWebBrowser::LocationName() const
{
    if (m_stopped)
        return m_stoppedTitle;
    return m_page ? m_page->title() : m_discardedTitle;
}

void QtWebBrowser::ExitFullScreen()
{
    if (BrowserPage *page = pageIfAny())
        page->triggerAction(QWebEnginePage::ExitFullScreen);
}

void QtWebBrowser::Discard()
{
    m_discardWanted = true;
    // Queued: the caller has usually just hidden the page or sent it away.
    QMetaObject::invokeMethod(
        m_context.get(), [this] { discardWhenIdle(); }, Qt::QueuedConnection);
}

// The page goes altogether: what the engine keeps for a page even without
// its renderer (its web contents, history, frames' state) is most of what a
// closed tab would otherwise hold on to. The view stays for the control, and
// a new page comes with the next request, as in a new browser.
void QtWebBrowser::discardWhenIdle()
{
    // A page still loading would lose its load; loading ends here again. A
    // shown page is the user's. A page whose engine waits on a sign-in is on
    // the stack; it is looked at again once answered.
    if (!m_discardWanted || !m_page || m_busy || m_loadActive || m_view->isVisible() ||
        m_signIn != SignIn::None)
        return;
    m_discardWanted = false;
    BrowserPage *page = m_page;
    m_discardedUrl = page->url();
    m_discardedTitle = page->title();
    page->detach();
    m_page = nullptr;
    m_stopped = false;
    m_keyboardKeeper.reset();
    delete page;
    returnFreedMemorySoon();
}

bool QtWebBrowser::onNavigationRequest(const QUrl &url, bool reported)
{
    // The engine emits loadStarted/loadFinished even for a rejected
    // navigation; that pair comes next and is not reported. Any other main
    // frame navigation supersedes a stale mark.
    m_swallowNext = false;
    if (m_quietLoad)
        return true;
    if (m_stopped) {
        // Back to the address the stopped page stands for: a reload.
        if (url == m_stoppedUrl)
            reported = false;
        m_stopped = false;
    }
    // A navigation of the page's own cancels what it was waiting for.
    withdrawSignIn();
    if (!reported)
        return true;
    const unsigned request = ++m_requests;
    bool cancel = false;
    raiseDroppingErrors(events.BeforeNavigate2, url.toString(), cancel);
    // A handler that navigated elsewhere (cancel, then Navigate) replaced
    // this navigation: the engine then runs one load pair, started under the
    // old address and finished under the new one, and it is reported.
    if (request != m_requests)
        return false;
    if (cancel) {
        m_swallowNext = true;
        m_busy = m_loadActive;
        return false;
    }
    m_busy = true;
    return true;
}

QWebEnginePage *QtWebBrowser::onNewWindow()
{
    WebBrowser *target = nullptr;
    bool cancel = false;
    raiseDroppingErrors(events.NewWindow2, target, cancel);
    auto *browser = dynamic_cast<QtWebBrowser *>(target);
    if (cancel || !browser || browser == this || !browser->m_view)
        return nullptr; // refused: the engine drops the window
    BrowserPage &page = browser->pageToLoad();
    browser->m_isChild = true;
    return &page; // the engine loads the target there
}

void QtWebBrowser::onLoadStarted()
{
    if (m_swallowNext || m_quietLoad) {
        m_swallowNext = false;
        m_swallowing = true;
        return;
    }
    m_loadActive = true;
    m_busy = true;
    raiseDroppingErrors(events.DownloadBegin);
}

void QtWebBrowser::onLoadProgress(int progress)
{
    if (!m_swallowing)
        raiseDroppingErrors(events.ProgressChange, progress, 100);
}

void QtWebBrowser::onLoadFinished()
{
    if (m_swallowing) {
        m_swallowing = false;
        if (std::exchange(m_quietLoad, false))
            stopKeepingKeyboardSoon();
        return;
    }
    if (!m_loadActive)
        return; // its start was not reported, or a dead renderer's was finished already
    m_loadActive = false;
    m_busy = false;
    if (m_discardWanted)
        QMetaObject::invokeMethod(
            m_context.get(), [this] { discardWhenIdle(); }, Qt::QueuedConnection);
    // The classic component reports -1 when it is done.
    raiseDroppingErrors(events.ProgressChange, -1, 100);
    raiseDroppingErrors(events.DownloadComplete);
}

void QtWebBrowser::onUrlChanged(const QUrl &url)
{
    if (m_quietLoad || m_stopped)
        return;
    // Commits without a load around them (#fragment, pushState, a new
    // window's first URL) must not leave Busy set by Navigate.
    if (!m_loadActive)
        m_busy = false;
    // Error pages commit too and are reported with the address that failed,
    // which is what the address bar should keep showing.
    raiseDroppingErrors(events.NavigateComplete2, this, url.toString());
}

// The engine waits for the answer while the handler runs, perhaps in a
// nested event loop. Meanwhile everything may happen around it: the page is
// kept (Discard waits), whatever sends the page elsewhere withdraws the
// question, and a second question of this page is refused at once.
void QtWebBrowser::onSignInAsked(const QString &site, QAuthenticator *auth, bool proxy)
{
    QString user, password;
    bool signIn = false;
    if (m_signIn == SignIn::None) {
        m_signIn = SignIn::Asking;
        // Gone if the owner destroyed the browser meanwhile, against the
        // rule in the header: then nothing of it is touched.
        const QPointer<QObject> alive = m_context.get();
        raiseDroppingErrors(events.AuthenticationRequired, site, auth->realm(), proxy, user, password,
                            signIn);
        if (!alive) {
            signIn = false;
        } else {
            if (std::exchange(m_signIn, SignIn::None) == SignIn::Withdrawn)
                signIn = false;
            if (m_discardWanted)
                QMetaObject::invokeMethod(
                    m_context.get(), [this] { discardWhenIdle(); }, Qt::QueuedConnection);
        }
    }
    if (signIn) {
        auth->setUser(user);
        auth->setPassword(password);
    } else {
        // The engine cancels only for a null authenticator: the one it hands
        // over carries the realm, and as it came it would send empty names.
        *auth = QAuthenticator();
    }
}

void QtWebBrowser::withdrawSignIn()
{
    if (m_signIn != SignIn::Asking)
        return;
    m_signIn = SignIn::Withdrawn;
    raiseDroppingErrors(events.AuthenticationWithdrawn);
}

void QtWebBrowser::onCloseRequested()
{
    // Closing is the owner's business: whatever the answer, the view stays.
    bool cancel = false;
    raiseDroppingErrors(events.WindowClosing, m_isChild, cancel);
}

void QtWebBrowser::onRendererGone(bool crashed)
{
    // No reload: a page that kills its renderer would do it again, in a loop.
    // Our own page shows instead, and reloading is the user's.
    if (!crashed || m_stopped || !m_page)
        return;
    m_stopped = true;
    m_stoppedUrl = m_page->url();
    m_stoppedTitle = m_page->title();
    keepKeyboardWhileRecovering();
    // Queued: the page is still handling the dead renderer here.
    QMetaObject::invokeMethod(
        m_context.get(), [this] { showStoppedPage(); }, Qt::QueuedConnection);
}

// Once a new renderer is ready after a crash, the engine gives the page the
// keyboard and activates the page's window, wherever the user is: a dialog
// of ours opened in the meantime (the address dialog) would lose its typing
// to the page. Until our stopped page has settled, an activation of this
// page's window that no click asked for gives the keyboard back.
void QtWebBrowser::keepKeyboardWhileRecovering()
{
    m_keyboardKeeper = std::make_unique<QObject>();
    QObject *keeper = m_keyboardKeeper.get();
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, keeper,
                     [this, last = QPointer<QWindow>(QGuiApplication::focusWindow())](QWindow *now) mutable {
                         QWindow *mine = m_view ? m_view->window()->windowHandle() : nullptr;
                         if (now && now == mine && last && last != mine && last->isVisible() &&
                             QGuiApplication::mouseButtons() == Qt::NoButton) {
                             last->requestActivate();
                             return;
                         }
                         last = now;
                     });
    QTimer::singleShot(kKeyboardKeptAtMostMs, keeper, [this, keeper] { stopKeepingKeyboard(keeper); });
}

void QtWebBrowser::stopKeepingKeyboardSoon()
{
    if (QObject *keeper = m_keyboardKeeper.get())
        QTimer::singleShot(kKeyboardSettleMs, keeper, [this, keeper] { stopKeepingKeyboard(keeper); });
}

// Called from the keeper's own timers: it goes once they have returned.
void QtWebBrowser::stopKeepingKeyboard(QObject *keeper)
{
    if (m_keyboardKeeper.get() != keeper)
        return;
    QObject::disconnect(qGuiApp, nullptr, keeper, nullptr);
    m_keyboardKeeper.release()->deleteLater();
}

void QtWebBrowser::showStoppedPage()
{
    if (!m_page || !m_stopped)
        return;
    // A load the renderer took with it still ends, for whoever waits on it.
    if (m_loadActive) {
        m_loadActive = false;
        m_busy = false;
        raiseDroppingErrors(events.ProgressChange, -1, 100);
        raiseDroppingErrors(events.DownloadComplete);
    }
    if (!m_page || !m_stopped)
        return; // a handler navigated elsewhere
    m_quietLoad = true;
    // Based on the address it replaces: its link back is then same-origin,
    // which file pages need.
    m_page->setHtml(stoppedPageHtml(m_stoppedUrl, m_stoppedTitle), m_stoppedUrl);
}

void registerQtWebBrowserFactory()
{
    setBrowserFactory([] { return std::make_unique<QtWebBrowser>(); });
}

} // namespace tk
