#include "browser/webengine/QtWebBrowser.h"

#include "browser/webengine/EngineProfile.h"
#include "browser/webengine/HiddenFrames.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/TkError.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineFindTextResult>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include <unordered_map>

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

// Whether an address is one the engine does not show but hands to the
// desktop (mailto:, tel:, a program's own scheme): a user's click on such a
// link opens it with the desktop's handler (QDesktopServices::openUrl), and
// the page stays where it was.
bool opensOnTheDesktop(const QUrl &url)
{
    static const QStringList shown{
        QStringLiteral("http"),       QStringLiteral("https"),        QStringLiteral("file"),
        QStringLiteral("about"),      QStringLiteral("data"),         QStringLiteral("blob"),
        QStringLiteral("javascript"), QStringLiteral("filesystem"),   QStringLiteral("view-source"),
        QStringLiteral("chrome"),     QStringLiteral("chrome-error"), QStringLiteral("chrome-extension"),
        QStringLiteral("devtools"),   QStringLiteral("qrc"),          QStringLiteral("ws"),
        QStringLiteral("wss")};
    return url.isValid() && !url.scheme().isEmpty() && !shown.contains(url.scheme().toLower());
}

// How long after our stopped page has loaded the keyboard is still kept
// from the engine's late focus (the window system reports it a moment after
// it was asked for), and how long at most it is kept at all.
constexpr int kKeyboardSettleMs = 1000;
constexpr int kKeyboardKeptAtMostMs = 10000;

constexpr int kPrintDpi = 300;

// Every live QtWebBrowser, by its face as a WebBrowser: a new window's
// target comes back from the shell as a WebBrowser, and only one of ours can
// take the engine's page (another kind, or one already gone, is not found).
// Never destroyed, so a browser outliving main's scope still leaves it safely.
std::unordered_map<const WebBrowser *, QtWebBrowser *> &liveBrowsers()
{
    static auto *browsers = new std::unordered_map<const WebBrowser *, QtWebBrowser *>;
    return *browsers;
}

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
        // Accepted, the engine opens it on the desktop (a user's click only):
        // the tab goes nowhere, so it is no navigation of the browser's.
        if (!m_browser || !isMainFrame || opensOnTheDesktop(url))
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

    // Silent keeps the page's own dialogs hidden: alert, confirm, prompt and
    // the leave-page question. Hidden, each gets the answer of a user who is
    // not there: confirm no, prompt null, leaving yes.
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

    // The chooser is the user's, not the page's: the engine asks only after
    // the user's click on a file input, so Silent does not hide it. The
    // desktop's dialog answers; cancelled, nothing is sent.
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &,
                            const QStringList &acceptedTypes) override
    {
        if (!m_browser || mode == FileSelectSave)
            return {};
        const Desktop::FileChoice choice = mode == FileSelectOpenMultiple   ? Desktop::FileChoice::Many
                                           : mode == FileSelectUploadFolder ? Desktop::FileChoice::Folder
                                                                            : Desktop::FileChoice::One;
        // The dialog runs its own event loop: nothing of the browser is
        // touched once it has returned.
        return m_browser->m_desktop.chooseFiles(m_browser->m_view, choice, acceptedTypes);
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

QtWebBrowser::QtWebBrowser(Desktop &desktop) : m_context(std::make_unique<QObject>()), m_desktop(desktop)
{
    startupMark("engine starting");
    // Owned by this browser (deleted in the destructor); the control parents it.
    m_view = new QWebEngineView;
    QObject::connect(m_view, &QWebEngineView::printFinished, m_context.get(), [this] { onPrintFinished(); });
    takeFramesWhileHidden(m_view);
    createPage();
    liveBrowsers().emplace(this, this); // once made: a constructor that throws leaves no trace
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
    // Started loads are heard with their address: the engine starts one even
    // for an address it hands to the desktop, and that one is not reported.
    QObject::connect(p, &QWebEnginePage::loadingChanged, ctx, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        if (opensOnTheDesktop(info.url()))
            expectCancelledPair();
        onLoadStarted();
    });
    QObject::connect(p, &QWebEnginePage::loadProgress, ctx, [this](int v) { onLoadProgress(v); });
    QObject::connect(p, &QWebEnginePage::loadFinished, ctx, [this](bool) { onLoadFinished(); });
    QObject::connect(p, &QWebEnginePage::urlChanged, ctx, [this](const QUrl &u) { onUrlChanged(u); });
    QObject::connect(p, &QWebEnginePage::titleChanged, ctx,
                     [this](const QString &title) { raiseDroppingErrors(events.TitleChange, title); });
    QObject::connect(p, &QWebEnginePage::windowCloseRequested, ctx, [this] { onCloseRequested(); });
    QObject::connect(p, &QWebEnginePage::printRequested, ctx, [this] { onPrintRequested(); });
    QObject::connect(p, &QWebEnginePage::renderProcessTerminated, ctx,
                     [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                         // Normal termination also comes when pages close or are discarded.
                         const bool crashed = status != QWebEnginePage::NormalTerminationStatus;
                         if (!crashed)
                             EngineProfile::instance().returnFreedMemorySoon();
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

    // Silent: no certificate exceptions.
    QObject::connect(p, &QWebEnginePage::certificateError, ctx,
                     [this](const QWebEngineCertificateError &error) {
                         if (m_silent) {
                             QWebEngineCertificateError e = error;
                             e.rejectCertificate();
                         }
                     });
    // Every permission (notifications, location, camera, microphone, screen
    // capture, the pointer lock) is refused at once, silent or not: there is
    // nobody to ask, and a request left pending would keep the page waiting
    // for good.
    QObject::connect(p, &QWebEnginePage::featurePermissionRequested, ctx,
                     [p](const QUrl &origin, QWebEnginePage::Feature feature) {
                         p->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
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
    liveBrowsers().erase(this);
    m_keyboardKeeper.reset();
    m_context.reset(); // disconnects every event first
    if (m_page)
        m_page->detach();
    if (m_printing == Printing::Printing && m_view) {
        letPrintingFinish(m_view, std::move(m_printer));
        return;
    }
    delete m_view.data(); // null if the control deleted it already; takes the page along
}

namespace {
int g_printsOutliving = 0;
}

// The engine cannot let a page go while it prints it (it ends the process):
// the view, its page and the printer stay, out of sight, until it is done.
void QtWebBrowser::letPrintingFinish(QWebEngineView *view, std::unique_ptr<QPrinter> printer)
{
    view->hide();
    view->setParent(nullptr);
    ++g_printsOutliving;
    QObject::connect(view, &QWebEngineView::printFinished, view,
                     // The printer goes with this connection, when the view does.
                     [view, printer = std::shared_ptr<QPrinter>(std::move(printer))] {
                         --g_printsOutliving;
                         view->deleteLater();
                     });
}

void finishPrinting(int boundMs)
{
    QDeadlineTimer deadline(boundMs);
    while (g_printsOutliving > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
    pageEvent(PageEvent::LoadAsked);
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
    // Only a user's click hands such an address to the desktop; the engine
    // would neither show it nor open it.
    if (opensOnTheDesktop(url))
        return;
    if (url.scheme() == QLatin1String("about") && url.path() == QLatin1String("blank")) {
        // The engine loads about:blank without asking acceptNavigationRequest,
        // so ask here; cancelled, nothing is loaded at all.
        const bool go = onNavigationRequest(url, true);
        forgetCancelledPair();
        if (!go)
            return;
    }
    // The engine starts asynchronously; the caller sees Busy at once. A
    // javascript: address runs in the page and starts no load at all.
    if (url.scheme() != QLatin1String("javascript"))
        askLoad();
    ++m_requests;
    page.load(url);
}

void QtWebBrowser::Refresh()
{
    BrowserPage &page = pageToLoad();
    ++m_requests;
    // Reloading our stopped page would only show it again.
    if (stopped()) {
        askLoad();
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
    dropAskedLoad();
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
    if (stopped())
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
    if (stopped())
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
    pageEvent(PageEvent::DiscardAsked);
    // The caller has usually just hidden the page or sent it away.
    discardSoon();
}

// Queued: whatever kept a wanted discard waiting has just ended, and its
// handler is still on the stack.
void QtWebBrowser::discardSoon()
{
    if (discardWanted())
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
    // shown page is the user's. A page being printed is the engine's until it
    // is done, and one whose engine waits on a sign-in is on the stack: each
    // comes back here then.
    if (!discardWanted() || !m_page || m_load != Load::Idle || m_view->isVisible() ||
        m_printing == Printing::Printing || m_signIn != SignIn::None)
        return;
    pageEvent(PageEvent::Discarded);
    BrowserPage *page = m_page;
    m_discardedUrl = page->url();
    m_discardedTitle = page->title();
    page->detach();
    m_page = nullptr;
    // Load pairs it was still to run (our stopped page's, asked for as its
    // renderer died) go with it: the next page's are the caller's.
    setPairs(Pair::Shown, Pair::Shown);
    m_keyboardKeeper.reset();
    delete page;
    EngineProfile::instance().returnFreedMemorySoon();
}

bool QtWebBrowser::onNavigationRequest(const QUrl &url, bool reported)
{
    // The engine emits loadStarted/loadFinished even for a rejected
    // navigation; that pair comes next and is not reported. Any other main
    // frame navigation supersedes a stale mark.
    forgetCancelledPair();
    if (stoppedPageLoading())
        return true;
    if (stopped()) {
        // Back to the address the stopped page stands for: a reload.
        if (url == m_stoppedUrl)
            reported = false;
        pageEvent(PageEvent::NavigationRequested);
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
        expectCancelledPair();
        dropAskedLoad();
        return false;
    }
    askLoad();
    return true;
}

QWebEnginePage *QtWebBrowser::onNewWindow()
{
    WebBrowser *target = nullptr;
    bool cancel = false;
    raiseDroppingErrors(events.NewWindow2, target, cancel);
    const auto found = liveBrowsers().find(target);
    QtWebBrowser *browser = found == liveBrowsers().end() ? nullptr : found->second;
    if (cancel || !browser || browser == this || !browser->m_view)
        return nullptr; // refused: the engine drops the window
    BrowserPage &page = browser->pageToLoad();
    browser->m_isChild = true;
    return &page; // the engine loads the target there
}

void QtWebBrowser::onLoadStarted()
{
    if (m_nextPair != Pair::Shown || m_currentPair == Pair::StoppedPage) {
        // A cancelled navigation's pair, or our stopped page's (all of it).
        setPairs(stoppedPageLoading() ? Pair::StoppedPage : Pair::Cancelled, Pair::Shown);
        return;
    }
    setLoad(Load::Running);
    raiseDroppingErrors(events.DownloadBegin);
}

void QtWebBrowser::onLoadProgress(int progress)
{
    if (m_currentPair == Pair::Shown)
        raiseDroppingErrors(events.ProgressChange, progress, 100);
}

void QtWebBrowser::onLoadFinished()
{
    if (m_currentPair != Pair::Shown) {
        const bool stoppedPage = m_currentPair == Pair::StoppedPage;
        setPairs(Pair::Shown, m_nextPair);
        if (stoppedPage)
            stopKeepingKeyboardSoon();
        return;
    }
    if (m_load != Load::Running)
        return; // its start was not reported, or a dead renderer's was finished already
    setLoad(Load::Idle);
    discardSoon();
    // The classic component reports -1 when it is done.
    raiseDroppingErrors(events.ProgressChange, -1, 100);
    raiseDroppingErrors(events.DownloadComplete);
}

void QtWebBrowser::onUrlChanged(const QUrl &url)
{
    if (stoppedPageLoading() || stopped())
        return;
    // Commits without a load around them (#fragment, pushState, a new
    // window's first URL) must not leave Busy set by Navigate.
    dropAskedLoad();
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
            discardSoon();
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
    if (!crashed || stopped() || !m_page)
        return;
    pageEvent(PageEvent::RendererCrashed);
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
    if (!m_page || !stopped())
        return;
    // A load the renderer took with it still ends, for whoever waits on it.
    if (m_load == Load::Running) {
        setLoad(Load::Idle);
        raiseDroppingErrors(events.ProgressChange, -1, 100);
        raiseDroppingErrors(events.DownloadComplete);
    }
    if (!m_page || !stopped())
        return; // a handler navigated elsewhere
    askStoppedPage();
    // Based on the address it replaces: its link back is then same-origin,
    // which file pages need.
    m_page->setHtml(stoppedPageHtml(m_stoppedUrl, m_stoppedTitle), m_stoppedUrl);
}

void QtWebBrowser::askLoad()
{
    if (m_load == Load::Idle)
        setLoad(Load::Asked);
}

void QtWebBrowser::dropAskedLoad()
{
    if (m_load == Load::Asked)
        setLoad(Load::Idle);
}

void QtWebBrowser::setPairs(Pair current, Pair next)
{
    m_currentPair = current;
    m_nextPair = next;
}

// Our stopped page, once asked for, takes the next pair whatever it is.
void QtWebBrowser::expectCancelledPair()
{
    if (m_nextPair == Pair::Shown)
        setPairs(m_currentPair, Pair::Cancelled);
}

void QtWebBrowser::forgetCancelledPair()
{
    if (m_nextPair == Pair::Cancelled)
        setPairs(m_currentPair, Pair::Shown);
}

// Asked for inside a hidden pair, our stopped page counts as loading from
// there: that pair's end is taken for its end.
void QtWebBrowser::askStoppedPage()
{
    if (m_currentPair == Pair::Shown)
        setPairs(Pair::Shown, Pair::StoppedPage);
    else
        setPairs(Pair::StoppedPage, m_nextPair);
}

void QtWebBrowser::pageEvent(PageEvent event)
{
    using enum PageState;
    // As listed in the header: a row per state, a column per event in
    // PageEvent's order (RendererCrashed, NavigationRequested, LoadAsked,
    // DiscardAsked, Discarded).
    static constexpr PageState kNext[4][5] = {
        {Stopped, Live, Live, DiscardWanted, Live},                                 // Live
        {Stopped, Live, Stopped, StoppedDiscardWanted, Live},                       // Stopped
        {StoppedDiscardWanted, DiscardWanted, Live, DiscardWanted, Live},           // DiscardWanted
        {StoppedDiscardWanted, DiscardWanted, Stopped, StoppedDiscardWanted, Live}, // StoppedDiscardWanted
    };
    m_pageState = kNext[static_cast<int>(m_pageState)][static_cast<int>(event)];
}

void QtWebBrowser::findText(const QString &text, bool backward, std::function<void(int, int)> found)
{
    const unsigned search = ++m_searches;
    BrowserPage *page = pageIfAny();
    if (!page) {
        raiseDroppingErrors(found, 0, 0); // a discarded page shows nothing to find
        return;
    }
    // A search the user typed past is answered too (with nothing found),
    // and an answer may come after this browser went: both are dropped.
    QPointer<QObject> alive = m_context.get();
    page->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
                   [this, alive, search, found](const QWebEngineFindTextResult &result) {
                       if (alive && search == m_searches)
                           raiseDroppingErrors(found, result.activeMatch(), result.numberOfMatches());
                   });
}

// The desktop's dialog runs a loop of its own: the tab may close or the
// browser go meanwhile. The printer lives on this frame until the engine
// takes it.
void QtWebBrowser::print()
{
    if (m_printing != Printing::Idle || !m_view || !m_page)
        return;
    m_printing = Printing::Choosing;
    auto printer = std::make_unique<QPrinter>();
    // The engine draws each page as a picture at the printer's resolution:
    // sharp enough on paper, without pages of hundreds of megabytes.
    printer->setResolution(kPrintDpi);
    printer->setDocName(LocationName()); // the file the dialog offers is named after the page
    QPointer<QObject> alive = m_context.get();
    const bool chosen = m_desktop.choosePrinter(m_view->window(), *printer);
    if (!alive)
        return;
    if (!chosen || !m_view || !m_page) {
        m_printing = Printing::Idle;
        return;
    }
    m_printing = Printing::Printing;
    m_printer = std::move(printer);
    m_view->print(m_printer.get());
}

// window.print(): only a page the user sees may ask.
void QtWebBrowser::onPrintRequested()
{
    if (m_view && m_view->isVisible())
        print();
}

void QtWebBrowser::onPrintFinished()
{
    if (m_printing != Printing::Printing)
        return;
    m_printing = Printing::Idle;
    // Freed once the engine's signal has returned.
    QMetaObject::invokeMethod(
        m_context.get(), [printer = std::shared_ptr<QPrinter>(std::move(m_printer))] {},
        Qt::QueuedConnection);
    discardSoon();
}

void registerQtWebBrowserFactory(Desktop &desktop)
{
    setBrowserFactory([&desktop] { return std::make_unique<QtWebBrowser>(desktop); });
}

} // namespace tk
