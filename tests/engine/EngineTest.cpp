// The Qt WebEngine browser component through its contract, on local pages.

#include "EngineSupport.h"
#include "ErrorOf.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/webengine/EngineProfile.h"
#include "browser/webengine/SceneGraph.h"

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <csignal>
#include <memory>
#include <optional>
#include <utility>

using tk::QtWebBrowser;
using Access = tk::QtWebBrowserTestAccess;

namespace {

bool writePages()
{
    const std::pair<const char *, const char *> pages[] = {
        {"a.html", "<html><head><title>Page A</title></head><body>A</body></html>"},
        {"b.html", "<html><head><title>Page B</title></head><body>B</body></html>"},
        {"dialogs.html", "<title>Dialogs</title><script>alert('hello'); var c = confirm('sure?');"
                         " var p = prompt('name?', 'x'); document.title = 'after-alert confirm=' + c"
                         " + ' prompt=' + (p === null ? 'null' : p);</script>"},
        {"opener.html",
         "<title>Opener</title><body style='margin:0'><a href='popup.html' target='_blank'"
         " style='display:block;width:200px;height:100px'>popup</a><script>requestAnimationFrame("
         "function () { requestAnimationFrame(function () { document.title = 'Opener ready'; }); });"
         "</script></body>"},
        {"popup.html", "<title>Popup</title>popup"},
    };
    for (const auto &[name, html] : pages)
        if (writePage(name, html).isEmpty())
            return false;
    return true;
}

// Everything one browser raises, in order, as "Name argument" (WindowClosing
// is always cancelled; BeforeNavigate2 cancels addresses ending in cancelSuffix).
struct Recorder {
    QStringList events;
    bool busyAtComplete = true;
    QString cancelSuffix;

    explicit Recorder(QtWebBrowser &b)
    {
        auto &e = b.events;
        e.BeforeNavigate2 = [this](const QString &url, bool &cancel) {
            events << "BeforeNavigate2 " + url;
            cancel = !cancelSuffix.isEmpty() && url.endsWith(cancelSuffix);
        };
        e.DownloadBegin = [this] { events << "DownloadBegin"; };
        e.ProgressChange = [this](int32_t p, int32_t max) {
            events << QStringLiteral("ProgressChange %1/%2").arg(p).arg(max);
        };
        e.NavigateComplete2 = [this, &b](tk::WebBrowser *sender, const QString &url) {
            events << "NavigateComplete2 " + (sender == &b ? url : QStringLiteral("from another browser"));
        };
        e.TitleChange = [this](const QString &text) { events << "TitleChange " + text; };
        e.DownloadComplete = [this, &b] {
            events << "DownloadComplete";
            busyAtComplete = b.Busy();
        };
        e.PropertyChange = [this](const QString &) { events << "PropertyChange"; };
        e.WindowClosing = [this](bool isChild, bool &cancel) {
            events << QStringLiteral("WindowClosing %1").arg(isChild ? "child" : "top");
            cancel = true;
        };
    }
    // The arguments of every event of that name.
    QStringList args(const QString &name) const
    {
        QStringList out;
        for (const QString &e : events)
            if (e.section(' ', 0, 0) == name)
                out << e.section(' ', 1);
        return out;
    }
    int count(const QString &name) const { return int(args(name).size()); }
    int first(const QString &name) const { return int(events.indexOf(QRegularExpression(name + "( .*)?"))); }
    std::string log() const { return events.join(" | ").toStdString(); }
    // One load of url as the component reports it: asked first, begun once, ended by -1 and DownloadComplete.
    void expectOneLoad(const QString &url) const
    {
        EXPECT_EQ(events.value(0), "BeforeNavigate2 " + url) << log();
        EXPECT_EQ(args("BeforeNavigate2"), QStringList{url}) << log();
        EXPECT_EQ(count("DownloadBegin"), 1) << log();
        EXPECT_EQ(count("DownloadComplete"), 1) << log();
        EXPECT_EQ(args("NavigateComplete2"), QStringList{url}) << log();
        EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"ProgressChange -1/100", "DownloadComplete"}))
            << log();
    }
};

// Navigates and waits for the load's DownloadComplete and for Busy to drop.
::testing::AssertionResult load(QtWebBrowser &b, Recorder &r, const QString &url)
{
    const int before = r.count("DownloadComplete");
    b.Navigate(url);
    if (!waitUntil([&] { return r.count("DownloadComplete") > before && !b.Busy(); }))
        return ::testing::AssertionFailure()
               << "no DownloadComplete for " << url.toStdString() << ": " << r.log();
    return ::testing::AssertionSuccess();
}

// Counts dialogs the application shows and rejects them, so a dialog that
// gets through fails the test instead of blocking it.
class DialogTrap : public QObject {
public:
    DialogTrap() { qApp->installEventFilter(this); }
    ~DialogTrap() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (auto *dialog = qobject_cast<QDialog *>(watched); dialog && event->type() == QEvent::Show) {
            ++shown;
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
};

// Makes a handler fail after it has run, as a shell routine without error
// handling passes a toolkit error on.
template <class... A> void failAfter(std::function<void(A...)> &handler)
{
    handler = [inner = std::move(handler)](A... args) {
        if (inner)
            inner(std::forward<A>(args)...);
        throw tk::TkError(tk::kInvalidPropertyValue);
    };
}

// Shows b (so that a user's click reaches the page) on opener.html and clicks its link.
::testing::AssertionResult clickOpenersLink(QtWebBrowser &b, Recorder &r)
{
    b.widget()->resize(400, 300);
    b.widget()->show();
    if (!load(b, r, pageUrl("opener.html")) || !waitUntil([&] { return b.LocationName() == "Opener ready"; }))
        return ::testing::AssertionFailure() << "opener.html not ready: " << r.log();
    clickPage(b.widget(), QPoint(100, 50));
    return ::testing::AssertionSuccess();
}

TEST(EngineNavigation, EventsInTheClassicOrderHistoryCancelsAndBlankAddresses)
{
    QtWebBrowser b;
    Recorder r(b);
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(errorOf([&] { b.GoBack(); }), tk::kComponentError);
    EXPECT_EQ(errorOf([&] { b.GoForward(); }), tk::kComponentError);
    b.Navigate("  " + pageUrl("a.html") + " ");
    EXPECT_TRUE(b.Busy()) << "Busy must hold from the Navigate call on";
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1; })) << r.log();
    EXPECT_FALSE(b.Busy());
    EXPECT_FALSE(r.busyAtComplete) << "Busy must already be false inside DownloadComplete";
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    r.expectOneLoad(pageUrl("a.html"));
    // First occurrences in the classic component's order; progress runs against 100.
    std::vector<int> order;
    for (const char *name : {"BeforeNavigate2", "DownloadBegin", "ProgressChange", "NavigateComplete2",
                             "TitleChange", "DownloadComplete"})
        order.push_back(r.first(name));
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << r.log();
    EXPECT_EQ(r.count("PropertyChange"), 0) << r.log();
    EXPECT_TRUE(r.args("TitleChange").contains("Page A")) << r.log();
    for (const QString &progress : r.args("ProgressChange"))
        EXPECT_TRUE(progress.endsWith("/100")) << r.log();

    // Back follows history and fails past its start.
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    r.events.clear();
    b.GoBack();
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1 && !b.Busy(); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(errorOf([&] { b.GoBack(); }), tk::kComponentError);

    // A cancelled navigation keeps the page; the engine still runs a load pair, so wait for its end.
    r.events.clear();
    r.cancelSuffix = "b.html";
    QSignalSpy engineFinished(Access::page(b), &QWebEnginePage::loadFinished);
    b.Navigate(pageUrl("b.html"));
    ASSERT_TRUE(waitUntil([&] { return engineFinished.count() == 1; }));
    EXPECT_EQ(r.events, QStringList{"BeforeNavigate2 " + pageUrl("b.html")});
    EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), pageUrl("a.html") + " Page A");
    EXPECT_FALSE(b.Busy());
    // about:blank is asked about by the browser itself (the engine asks nothing): cancelled, nothing starts.
    r.cancelSuffix = "about:blank";
    b.Navigate("about:blank");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(r.count("BeforeNavigate2"), 2) << r.log();

    // about:blank in any case (Chromium blocks about:Blank) and an empty address load.
    r.cancelSuffix.clear();
    r.events.clear();
    ASSERT_TRUE(load(b, r, " About:Blank "));
    EXPECT_EQ(b.LocationURL(), "about:blank");
    EXPECT_EQ(r.events.value(0), "BeforeNavigate2 about:blank") << r.log();
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(load(b, r, "   "));
    EXPECT_EQ(b.LocationURL(), "about:blank");
}

TEST(EngineSilent, SilentHidesDialogsAndTheScriptRunsOnWithoutItTheyGoToTheEngine)
{
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "not silent");
        DialogTrap trap; // confirm then gives false, prompt null
        QtWebBrowser b;
        Recorder r(b);
        b.setSilent(silent);
        ASSERT_TRUE(load(b, r, pageUrl("dialogs.html")));
        ASSERT_TRUE(waitUntil([&] { return b.LocationName().startsWith("after-alert"); }))
            << b.LocationName().toStdString();
        EXPECT_EQ(b.LocationName(), "after-alert confirm=false prompt=null");
        EXPECT_EQ(Access::suppressedDialogs(b), silent ? 3 : 0);
        EXPECT_EQ(trap.shown, silent ? 0 : 3);
    }
}

TEST(EngineWindows, WindowOpenLoadsInTheBrowserHandedBackAndItsCloseIsAChilds)
{
    QtWebBrowser opener;
    Recorder r(opener);
    std::unique_ptr<QtWebBrowser> popup;
    std::unique_ptr<Recorder> pr;
    opener.events.NewWindow2 = [&](tk::WebBrowser *&ppDisp, bool &) {
        popup = std::make_unique<QtWebBrowser>();
        pr = std::make_unique<Recorder>(*popup);
        ppDisp = popup->Application();
    };
    ASSERT_TRUE(clickOpenersLink(opener, r));
    ASSERT_TRUE(waitUntil([&] {
        return popup && popup->LocationURL().endsWith("popup.html") && pr->count("DownloadComplete");
    })) << (pr ? pr->log() : std::string("no popup"));
    EXPECT_EQ(popup->LocationName(), "Popup");
    EXPECT_EQ(opener.LocationURL(), pageUrl("opener.html"));
    // A page opened for another may close itself: a child's WindowClosing, cancelled so the page stays.
    Access::page(*popup)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return pr->count("WindowClosing") > 0; })) << pr->log();
    EXPECT_EQ(pr->args("WindowClosing"), QStringList{"child"});
    EXPECT_TRUE(popup->LocationURL().endsWith("popup.html"));
    // The opener is a top-level window with a single history entry.
    Access::page(opener)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return r.count("WindowClosing") > 0; })) << r.log();
    EXPECT_EQ(r.args("WindowClosing"), QStringList{"top"});
}

// Every handler fails: the answers given before the failure stand (go ahead,
// no window, keep the page) and the browser goes on.
TEST(EngineErrors, ToolkitErrorsFromHandlersStopAtTheEngineAndTheBrowserGoesOn)
{
    QtWebBrowser b;
    Recorder r(b);
    auto &e = b.events;
    e.NewWindow2 = [&](tk::WebBrowser *&, bool &) { r.events << "NewWindow2"; };
    failAfter(e.ProgressChange), failAfter(e.DownloadBegin), failAfter(e.DownloadComplete);
    failAfter(e.TitleChange), failAfter(e.PropertyChange), failAfter(e.BeforeNavigate2);
    failAfter(e.NewWindow2), failAfter(e.NavigateComplete2), failAfter(e.WindowClosing);
    ASSERT_TRUE(clickOpenersLink(b, r));
    ASSERT_TRUE(waitUntil([&] { return r.count("NewWindow2") == 1; })) << r.log();
    Access::page(b)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return r.count("WindowClosing") == 1; })) << r.log();
    EXPECT_EQ(b.LocationName(), "Opener ready");

    r.events.clear();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), pageUrl("a.html") + " Page A");
    r.expectOneLoad(pageUrl("a.html"));
}

// The page's text as the renderer has it, or "" while it has none. The
// answer may come after the wait, so it goes to state the callback owns.
QString pageText(QtWebBrowser &b)
{
    auto answer = std::make_shared<std::optional<QString>>();
    Access::page(b)->toPlainText([answer](const QString &t) { *answer = t; });
    waitFor([&] { return answer->has_value(); }, 2000);
    return answer->value_or(QString());
}

// Kills b's renderer and waits for our page in its place.
::testing::AssertionResult crash(QtWebBrowser &b, Recorder &r)
{
    const qint64 pid = Access::page(b)->renderProcessPid();
    if (pid <= 0 || ::kill(pid_t(pid), SIGKILL) != 0)
        return ::testing::AssertionFailure() << "no renderer to kill";
    if (!waitUntil([&] { return pageText(b).contains("This page stopped"); }))
        return ::testing::AssertionFailure() << "our page did not come: " << r.log();
    return ::testing::AssertionSuccess();
}

TEST(EngineCrash, AKilledRendererGivesOurPageAndRefreshOrItsLinkBringsTheAddressBack)
{
    QtWebBrowser b, other;
    Recorder r(b), ro(other);
    QWidget main;
    b.widget()->setParent(&main);
    b.widget()->resize(600, 400);
    main.resize(600, 400);
    main.show();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    QWidget dialog; // a dialog of the program's own, with the keyboard
    dialog.resize(200, 100);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));
    r.events.clear();

    ASSERT_TRUE(crash(b, r));
    EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), pageUrl("a.html") + " Page A");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(r.count("BeforeNavigate2") + r.count("NavigateComplete2") + r.count("DownloadBegin"), 0)
        << "our page is not a navigation of the shell's: " << r.log();
    // The engine has asked for the page's window by now; the keyboard stays with the dialog.
    EXPECT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));
    // Other browsers go on, whether they shared that renderer or not.
    ASSERT_TRUE(load(other, ro, pageUrl("b.html")));
    EXPECT_EQ(other.LocationName(), "Page B");

    // Refresh is as any reload: one load pair, and the address never changed.
    r.events.clear();
    b.Refresh();
    ASSERT_TRUE(waitUntil([&] { return !b.Busy() && pageText(b) == "A"; })) << r.log();
    EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), pageUrl("a.html") + " Page A");
    EXPECT_EQ(r.count("BeforeNavigate2") + r.count("NavigateComplete2"), 0) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadComplete"), 1) << r.log();

    // Dying again right after: our page again, and it stays, its link loading the address again.
    ASSERT_TRUE(crash(b, r));
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(Access::page(b)->url(), QUrl(pageUrl("a.html")));
    auto at = std::make_shared<QPoint>(); // where the link is, once the page has laid it out
    ASSERT_TRUE(waitUntil([&] {
        Access::page(b)->runJavaScript(
            "(function () { var r = document.querySelector('a').getBoundingClientRect();"
            " return [r.left + r.width / 2, r.top + r.height / 2]; })()",
            [at](const QVariant &v) {
                if (const QVariantList xy = v.toList(); xy.size() == 2)
                    *at = QPoint(xy[0].toInt(), xy[1].toInt());
            });
        return waitFor([&] { return !at->isNull(); }, 2000);
    }));
    bool loaded = false;
    for (int click = 0; click < 20 && !loaded; ++click) {
        clickPage(b.widget(), *at);
        loaded = waitFor([&] { return !b.Busy() && pageText(b) == "A"; }, 1000);
    }
    EXPECT_TRUE(loaded) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
}

TEST(EngineMemory, AHiddenBlankPageGivesItsRendererBackAndLoadsAtOnceWhenNavigated)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    const qint64 renderer = Access::page(b)->renderProcessPid();
    ASSERT_GT(renderer, 0);
    b.Navigate("About:Blank");
    b.Discard();
    ASSERT_TRUE(waitUntil([&] { return Access::page(b) == nullptr; })) << r.log();
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(renderer)); }))
        << "the page's renderer ends with it";
    EXPECT_EQ(b.LocationURL(), "about:blank");
    EXPECT_FALSE(b.Busy());
    b.Stop(); // nothing to stop, nothing brought back
    EXPECT_EQ(Access::page(b), nullptr);
    EXPECT_THROW(b.GoBack(), tk::TkError) << "as in a new browser, no history";

    r.events.clear(); // as a new page loads
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    EXPECT_EQ(b.LocationName(), "Page B");
    r.expectOneLoad(pageUrl("b.html"));
    EXPECT_EQ(pageText(b), "B");
}

// Every browser shares the one named persistent profile, and a page's own icon is never fetched.
TEST(EngineProfiles, OneNamedPersistentProfileThatFetchesNoPageIcon)
{
    QtWebBrowser a, b;
    QWebEngineProfile *profile = tk::EngineProfile::instance().profile();
    EXPECT_EQ(Access::page(a)->profile(), profile);
    EXPECT_EQ(Access::page(b)->profile(), profile);
    EXPECT_EQ(profile->storageName(), "Tavrin");
    EXPECT_FALSE(profile->isOffTheRecord()) << "cookies and cache must outlive the run";

    // Every path asked for; /a declares an icon, anything else is plain.
    QTcpServer server;
    QStringList asked;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *s = server.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QTcpSocket::readyRead, s, [&asked, s] {
                const QByteArray path = s->readAll().split(' ').value(1);
                asked << QString::fromLatin1(path);
                const QByteArray body = path == "/a"
                                            ? "<html><head><link rel=icon href=/icon.png></head>a</html>"
                                            : "<html>plain</html>";
                s->write(
                    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n\r\n" + body);
                s->disconnectFromHost();
            });
        }
    });
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
    Recorder r(b);
    // An icon fetch would start as /a finishes loading, well before /b has been asked for and loaded.
    ASSERT_TRUE(load(b, r, base + "a"));
    ASSERT_TRUE(load(b, r, base + "b"));
    EXPECT_EQ(asked.join(' ').toStdString(), "/a /b") << "tabs show Tavrin's icon; the page's is not fetched";
}

TEST(SceneGraphChoice, SoftwareOnlyWithoutAGpuOrWhenAskedAndTheUsersChoiceStands)
{
    using tk::SceneGraph;
    const struct {
        const char *forced;
        bool userChose, softwareGl, gpu;
        SceneGraph expected;
        const char *why;
    } rows[] = {
        {"", false, false, true, SceneGraph::Default, "a GPU: the hardware path stays"},
        {"", false, false, false, SceneGraph::Software, "no render node: OpenGL would be software"},
        {"", false, true, true, SceneGraph::Software, "Mesa told to draw in software"},
        {"", true, false, false, SceneGraph::Default, "the user's own backend stands"},
        {"software", true, false, true, SceneGraph::Software, "forced"},
        {"default", false, true, false, SceneGraph::Default, "forced"},
        {"bogus", false, false, true, SceneGraph::Default, "an unknown value decides nothing"},
    };
    for (const auto &row : rows) {
        tk::GraphicsFacts f;
        f.forced = QString::fromLatin1(row.forced);
        f.userChose = row.userChose;
        f.softwareGl = row.softwareGl;
        f.gpuDevice = row.gpu;
        EXPECT_EQ(tk::sceneGraphFor(f), row.expected) << row.why;
    }
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, writePages);
}
