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
        {"dialogs.html", "<html><head><title>Dialogs</title></head><body><script>"
                         "alert('hello'); var c = confirm('sure?'); var p = prompt('name?', 'x');"
                         "document.title = 'after-alert confirm=' + c + ' prompt=' + (p === null ? 'null' : p);"
                         "</script></body></html>"},
        {"opener.html", "<html><head><title>Opener</title></head><body style='margin:0'>"
                        "<a href='popup.html' target='_blank' style='display:block;width:200px;height:100px'>"
                        "popup</a><script>requestAnimationFrame(function () { requestAnimationFrame("
                        "function () { document.title = 'Opener ready'; }); });</script></body></html>"},
        {"popup.html", "<html><head><title>Popup</title></head><body>popup</body></html>"},
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
};

// Navigates and waits for the load's DownloadComplete and for Busy to drop.
::testing::AssertionResult load(QtWebBrowser &b, Recorder &r, const QString &url)
{
    const int before = r.count("DownloadComplete");
    b.Navigate(url);
    if (!waitUntil([&] { return r.count("DownloadComplete") > before && !b.Busy(); }))
        return ::testing::AssertionFailure() << "no DownloadComplete for " << url.toStdString() << ": " << r.log();
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
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && event->type() == QEvent::Show) {
            ++shown;
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
};

// Makes a handler fail after it has run, as a shell routine without error
// handling passes a toolkit error on.
template <class... A>
void failAfter(std::function<void(A...)> &handler)
{
    handler = [inner = std::move(handler)](A... args) {
        if (inner)
            inner(std::forward<A>(args)...);
        throw tk::TkError(tk::kInvalidPropertyValue);
    };
}

TEST(EngineNavigation, EventsArriveInTheClassicOrderAndPropertiesFollow)
{
    QtWebBrowser b;
    Recorder r(b);
    EXPECT_FALSE(b.Busy());
    b.Navigate("  " + pageUrl("a.html") + " ");
    EXPECT_TRUE(b.Busy()) << "Busy must hold from the Navigate call on";
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1; })) << r.log();
    EXPECT_FALSE(b.Busy());
    EXPECT_FALSE(r.busyAtComplete) << "Busy must already be false inside DownloadComplete";
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");

    // First occurrences in the classic component's order, BeforeNavigate2 first of all.
    std::vector<int> order;
    for (const char *name : {"BeforeNavigate2", "DownloadBegin", "ProgressChange", "NavigateComplete2",
                             "TitleChange", "DownloadComplete"})
        order.push_back(r.first(name));
    EXPECT_EQ(order.front(), 0) << r.log();
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << r.log();
    EXPECT_EQ(r.args("BeforeNavigate2"), QStringList{pageUrl("a.html")});
    EXPECT_EQ(r.args("NavigateComplete2"), QStringList{pageUrl("a.html")});
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.count("PropertyChange"), 0) << r.log();
    EXPECT_TRUE(r.args("TitleChange").contains("Page A")) << r.log();
    // Progress runs against 100 and ends with -1 right before DownloadComplete.
    for (const QString &progress : r.args("ProgressChange"))
        EXPECT_TRUE(progress.endsWith("/100")) << r.log();
    EXPECT_EQ(r.events.mid(r.events.size() - 2), (QStringList{"ProgressChange -1/100", "DownloadComplete"}));
}

TEST(EngineNavigation, AboutBlankInAnyCaseAndEmptyAddressesLoad)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, " About:Blank "));
    EXPECT_EQ(b.LocationURL(), "about:blank") << "Chromium blocks about:Blank";
    // The engine asks nothing before about:blank; the browser still does.
    EXPECT_EQ(r.events.value(0), "BeforeNavigate2 about:blank") << r.log();
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(load(b, r, "   "));
    EXPECT_EQ(b.LocationURL(), "about:blank");
}

TEST(EngineNavigation, CancelledNavigationKeepsThePage)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    r.events.clear();
    r.cancelSuffix = "b.html";
    QSignalSpy engineFinished(Access::page(b), &QWebEnginePage::loadFinished);
    b.Navigate(pageUrl("b.html"));
    // The engine still runs a load pair for the rejected navigation; wait for its end.
    ASSERT_TRUE(waitUntil([&] { return engineFinished.count() == 1; }));
    EXPECT_EQ(r.events, QStringList{"BeforeNavigate2 " + pageUrl("b.html")});
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    EXPECT_FALSE(b.Busy());

    // about:blank is asked about by the browser itself: cancelled, nothing starts.
    r.cancelSuffix = "about:blank";
    b.Navigate("about:blank");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(r.count("BeforeNavigate2"), 2) << r.log();
}

TEST(EngineHistory, BackFollowsHistoryAndBothFailPastItsEnds)
{
    QtWebBrowser b;
    Recorder r(b);
    EXPECT_EQ(errorOf([&] { b.GoBack(); }), tk::kComponentError);
    EXPECT_EQ(errorOf([&] { b.GoForward(); }), tk::kComponentError);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    r.events.clear();

    b.GoBack();
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1 && !b.Busy(); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(errorOf([&] { b.GoBack(); }), tk::kComponentError);
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
    // Shown, so that the user's click reaches the page.
    opener.widget()->resize(400, 300);
    opener.widget()->show();
    ASSERT_TRUE(load(opener, r, pageUrl("opener.html")));
    ASSERT_TRUE(waitUntil([&] { return opener.LocationName() == "Opener ready"; }));
    clickPage(opener.widget(), QPoint(100, 50));
    ASSERT_TRUE(waitUntil([&] {
        return popup && popup->LocationURL().endsWith("popup.html") && pr->count("DownloadComplete") >= 1;
    })) << (pr ? pr->log() : std::string("no popup"));
    EXPECT_EQ(popup->LocationName(), "Popup");
    EXPECT_EQ(opener.LocationURL(), pageUrl("opener.html"));

    // A page opened for another may close itself: a child's WindowClosing.
    Access::page(*popup)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return pr->count("WindowClosing") > 0; })) << pr->log();
    EXPECT_EQ(pr->args("WindowClosing"), QStringList{"child"});
    EXPECT_TRUE(popup->LocationURL().endsWith("popup.html")) << "cancelled: the page stays";
    // The opener is a top-level window with a single history entry.
    Access::page(opener)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return r.count("WindowClosing") > 0; })) << r.log();
    EXPECT_EQ(r.args("WindowClosing"), QStringList{"top"});
}

TEST(EngineErrors, ToolkitErrorsFromHandlersStopAtTheEngineAndTheBrowserGoesOn)
{
    QtWebBrowser b;
    Recorder r(b);
    auto &e = b.events;
    e.NewWindow2 = [&](tk::WebBrowser *&, bool &) { r.events << "NewWindow2"; };
    failAfter(e.ProgressChange);
    failAfter(e.DownloadBegin);
    failAfter(e.DownloadComplete);
    failAfter(e.TitleChange);
    failAfter(e.PropertyChange);
    failAfter(e.BeforeNavigate2);
    failAfter(e.NewWindow2);
    failAfter(e.NavigateComplete2);
    failAfter(e.WindowClosing);

    // The page's questions (may it navigate, where does its window go) and
    // its signals all meet a failing handler; the answers given before the
    // failure stand: go ahead, no window, keep the page.
    // Shown, so that the user's click on the link reaches the page.
    b.widget()->resize(400, 300);
    b.widget()->show();
    ASSERT_TRUE(load(b, r, pageUrl("opener.html")));
    ASSERT_TRUE(waitUntil([&] { return b.LocationName() == "Opener ready"; }));
    clickPage(b.widget(), QPoint(100, 50));
    ASSERT_TRUE(waitUntil([&] { return r.count("NewWindow2") == 1; })) << r.log();
    Access::page(b)->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return r.count("WindowClosing") == 1; })) << r.log();
    EXPECT_EQ(b.LocationName(), "Opener ready");

    r.events.clear();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    EXPECT_EQ(r.events.value(0), "BeforeNavigate2 " + pageUrl("a.html")) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.args("NavigateComplete2"), QStringList{pageUrl("a.html")});
    EXPECT_EQ(r.events.mid(r.events.size() - 2), (QStringList{"ProgressChange -1/100", "DownloadComplete"}));
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

::testing::AssertionResult killRenderer(QtWebBrowser &b)
{
    const qint64 pid = Access::page(b)->renderProcessPid();
    if (pid <= 0)
        return ::testing::AssertionFailure() << "no renderer";
    if (::kill(pid_t(pid), SIGKILL) != 0)
        return ::testing::AssertionFailure() << "kill failed";
    return ::testing::AssertionSuccess();
}

TEST(EngineCrash, AKilledRendererGivesOurPageAndRefreshBringsTheAddressBack)
{
    QtWebBrowser b, other;
    Recorder r(b), ro(other);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    r.events.clear();
    ASSERT_TRUE(killRenderer(b));
    ASSERT_TRUE(waitUntil([&] { return pageText(b).contains("This page stopped"); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(r.count("BeforeNavigate2") + r.count("NavigateComplete2") + r.count("DownloadBegin"), 0)
        << "our page is not a navigation of the shell's: " << r.log();
    // Other browsers go on, whether they shared that renderer or not.
    ASSERT_TRUE(load(other, ro, pageUrl("b.html")));
    EXPECT_EQ(other.LocationName(), "Page B");

    r.events.clear();
    b.Refresh();
    ASSERT_TRUE(waitUntil([&] { return !b.Busy() && pageText(b) == "A"; })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    // As any reload: one load pair, and the address never changed.
    EXPECT_EQ(r.count("BeforeNavigate2") + r.count("NavigateComplete2"), 0) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadComplete"), 1) << r.log();

    // Dying again right after: our page again, and it stays.
    ASSERT_TRUE(killRenderer(b));
    ASSERT_TRUE(waitUntil([&] { return pageText(b).contains("This page stopped"); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(Access::page(b)->url(), QUrl(pageUrl("a.html")));
}

TEST(EngineCrash, OurPagesLinkLoadsTheAddressAgain)
{
    QtWebBrowser b;
    Recorder r(b);
    b.widget()->resize(600, 400);
    b.widget()->show();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(killRenderer(b));
    ASSERT_TRUE(waitUntil([&] { return pageText(b).contains("This page stopped"); })) << r.log();
    // Where the link is, once the page has laid it out.
    auto at = std::make_shared<QPoint>();
    ASSERT_TRUE(waitUntil([&] {
        Access::page(b)->runJavaScript(
            "(function () { var r = document.querySelector('a').getBoundingClientRect();"
            " return [r.left + r.width / 2, r.top + r.height / 2]; })()",
            [at](const QVariant &v) {
                const QVariantList xy = v.toList();
                if (xy.size() == 2)
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

TEST(EngineCrash, ARecoveringPageLeavesTheKeyboardWithTheWindowThatHasIt)
{
    QtWebBrowser b;
    Recorder r(b);
    QWidget main;
    b.widget()->setParent(&main);
    main.resize(600, 400);
    main.show();
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    // A dialog of the program's own, with the keyboard.
    QWidget dialog;
    dialog.resize(200, 100);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));

    ASSERT_TRUE(killRenderer(b));
    ASSERT_TRUE(waitUntil([&] { return pageText(b).contains("This page stopped"); })) << r.log();
    // The engine has asked for the page's window by now; the keyboard is
    // back with the dialog (or never left it).
    EXPECT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));
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

    r.events.clear();
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    EXPECT_EQ(b.LocationName(), "Page B");
    EXPECT_EQ(r.args("BeforeNavigate2"), QStringList{pageUrl("b.html")}) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << "as a new page loads: " << r.log();
    EXPECT_EQ(r.count("DownloadComplete"), 1) << r.log();
    EXPECT_EQ(r.args("NavigateComplete2"), QStringList{pageUrl("b.html")}) << r.log();
    EXPECT_EQ(pageText(b), "B");
}

TEST(EngineProfiles, EveryBrowserSharesTheOneNamedPersistentProfile)
{
    QtWebBrowser a, b;
    QWebEngineProfile *profile = tk::EngineProfile::instance().profile();
    EXPECT_EQ(Access::page(a)->profile(), profile);
    EXPECT_EQ(Access::page(b)->profile(), profile);
    EXPECT_EQ(profile->storageName(), "Tavrin");
    EXPECT_FALSE(profile->isOffTheRecord()) << "cookies and cache must outlive the run";
}

TEST(EngineProfiles, APagesOwnIconIsNeverFetched)
{
    // Every path asked for; /a declares an icon, anything else is plain.
    QTcpServer server;
    QStringList asked;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *s = server.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QTcpSocket::readyRead, s, [&asked, s] {
                const QByteArray request = s->readAll();
                const QByteArray path = request.split(' ').value(1);
                asked << QString::fromLatin1(path);
                const QByteArray body = path == "/a" ? "<html><head><link rel=icon href=/icon.png></head>a</html>"
                                                     : "<html>plain</html>";
                s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
                         + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                s->disconnectFromHost();
            });
        }
    });
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, base + "a"));
    // An icon fetch would start as /a finishes loading, well before the
    // next page has been asked for and loaded.
    ASSERT_TRUE(load(b, r, base + "b"));
    EXPECT_EQ(asked.join(' ').toStdString(), "/a /b") << "tabs show Tavrin's icon; the page's is not fetched";
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, writePages);
}

TEST(SceneGraphChoice, SoftwareOnlyWithoutAGpuOrWhenAskedAndTheUsersChoiceStands)
{
    using tk::GraphicsFacts;
    using tk::SceneGraph;
    const auto facts = [](const char *forced, bool userChose, bool softwareGl, bool gpu) {
        GraphicsFacts f;
        f.forced = QString::fromLatin1(forced);
        f.userChose = userChose;
        f.softwareGl = softwareGl;
        f.gpuDevice = gpu;
        return f;
    };
    const struct {
        GraphicsFacts facts;
        SceneGraph expected;
        const char *why;
    } rows[] = {
        {facts("", false, false, true), SceneGraph::Default, "a GPU: the hardware path stays"},
        {facts("", false, false, false), SceneGraph::Software, "no render node: OpenGL would be software"},
        {facts("", false, true, true), SceneGraph::Software, "Mesa told to draw in software"},
        {facts("", true, false, false), SceneGraph::Default, "the user's own backend stands"},
        {facts("software", true, false, true), SceneGraph::Software, "forced"},
        {facts("default", false, true, false), SceneGraph::Default, "forced"},
        {facts("bogus", false, false, true), SceneGraph::Default, "an unknown value decides nothing"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(tk::sceneGraphFor(row.facts), row.expected) << row.why;
}
