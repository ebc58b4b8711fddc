// The Qt WebEngine browser component through its contract, on local pages.

#include "EngineSupport.h"
#include "ErrorOf.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/webengine/SceneGraph.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEnginePage>

#include <csignal>
#include <deque>

using tk::QtWebBrowser;
using Access = tk::QtWebBrowserTestAccess;

namespace {

// Everything one browser raises, in order, as "Name argument" (WindowClosing
// is always cancelled; BeforeNavigate2 cancels addresses ending in cancelSuffix).
// What the engine varies is folded away: progress against 100 and titles show
// at their first only (progress -1, the end, always shows); title is the last.
struct Recorder {
    QStringList events;
    QString cancelSuffix, title;

    explicit Recorder(QtWebBrowser &b)
    {
        auto &e = b.events;
        e.BeforeNavigate2 = [this](const QString &url, bool &cancel) {
            events << "BeforeNavigate2 " + url;
            cancel = !cancelSuffix.isEmpty() && url.endsWith(cancelSuffix);
        };
        e.DownloadBegin = [this] { events << "DownloadBegin"; };
        e.ProgressChange = [this](int32_t p, int32_t max) {
            once(p >= 0 && max == 100 ? QStringLiteral("ProgressChange")
                                      : QStringLiteral("ProgressChange %1/%2").arg(p).arg(max));
        };
        e.NavigateComplete2 = [this, &b](tk::WebBrowser *sender, const QString &url) {
            events << "NavigateComplete2 " + (sender == &b ? url : QStringLiteral("from another browser"));
        };
        e.TitleChange = [this](const QString &text) {
            once("TitleChange");
            title = text;
        };
        // Busy must already be false inside DownloadComplete.
        e.DownloadComplete = [this, &b] {
            events << (b.Busy() ? "DownloadComplete while busy" : "DownloadComplete");
        };
        e.PropertyChange = [this](const QString &) { events << "PropertyChange"; };
        e.WindowClosing = [this](bool isChild, bool &cancel) {
            events << QStringLiteral("WindowClosing %1").arg(isChild ? "child" : "top");
            cancel = true;
        };
    }
    void once(const QString &e)
    {
        if (!events.contains(e) || e.contains('/'))
            events << e;
    }
    QString story() const { return events.join(" | "); }
};

// One load of url as the classic component reports it, landing at landed (a server's redirect).
QString loadOf(const QString &url, const QString &landed = {})
{
    return QStringLiteral("BeforeNavigate2 %1 | DownloadBegin | ProgressChange | NavigateComplete2 %2 | "
                          "TitleChange | ProgressChange -1/100 | DownloadComplete")
        .arg(url, landed.isEmpty() ? url : landed);
}

// Navigates (Busy holds from the call on) and waits for the load's DownloadComplete and for Busy to drop.
::testing::AssertionResult load(QtWebBrowser &b, Recorder &r, const QString &url)
{
    r.events.clear();
    b.Navigate(url);
    const bool busy = b.Busy();
    if (busy && waitUntil([&] { return r.events.contains("DownloadComplete") && !b.Busy(); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << url.toStdString() << (busy ? ": " : " not Busy at once: ") << r.story().toStdString();
}

// A browser with its recorder, and the local pages every test here may load, written once.
class Engine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::pair<const char *, const char *> pages[] = {
            {"a.html", "<title>Page A</title>A"},
            {"b.html", "<title>Page B</title>B"},
            {"dialogs.html", "<title>Dialogs</title><script>alert('hello'); var c = confirm('sure?');"
                             " var p = prompt('name?', 'x'); document.title = 'after-alert confirm=' + c"
                             " + ' prompt=' + (p === null ? 'null' : p);</script>"},
            {"popup.html", "<title>Popup</title>popup"}};
        for (const auto &[name, html] : pages)
            ASSERT_FALSE(writePage(name, html).isEmpty()) << name;
        ASSERT_FALSE(
            readyPage("opener.html", "Opener", block("a", "href='popup.html' target='_blank'")).isEmpty());
    }
    QtWebBrowser b;
    Recorder r{b};
};

TEST_F(Engine, EachRequestTellsItsStoryInTheClassicOrder)
{
    QSignalSpy engineFinished(Access::page(b), &QWebEnginePage::loadFinished);
    LoopbackServer server([](QTcpSocket *s, const QByteArray &head) { // /from sends the browser on to /to
        const QByteArray to = "<title>To</title>to";
        s->write(head.startsWith("GET /from ")
                     ? httpHead("302 Found", "Location: /to\r\n", 0)
                     : httpHead("200 OK", "Content-Type: text/html\r\n", to.size()) + to);
        s->disconnectFromHost();
    });
    const QString a = pageUrl("a.html"), bb = pageUrl("b.html"), blank = "about:blank",
                  refused = QStringLiteral("error %1").arg(tk::kComponentError), from = server.url("from"),
                  to = server.url("to");
    // What to go to (an address, "back" or "forward"), the address ending that
    // BeforeNavigate2 cancels, the events told and the address then.
    const std::tuple<QString, QString, QString, QString> rows[] = {
        {"back", "", refused, ""}, // no history yet
        {"forward", "", refused, ""},
        {"  " + a + " ", "", loadOf(a), a},
        {bb, "", loadOf(bb), bb},
        {"back", "", loadOf(a), a},
        {"back", "", refused, a},                    // past history's start
        {bb, "b.html", "BeforeNavigate2 " + bb, a},  // cancelled, the page stays
        {from, "", loadOf(from, to), to},            // a server's redirect is no navigation of its own
        {" About:Blank ", "", loadOf(blank), blank}, // Chromium would block about:Blank
        {a, "", loadOf(a), a},
        {"   ", "", loadOf(blank), blank},
        {a, "", loadOf(a), a},
        {QString::fromUtf16(u"\u0000\u0007x\u001b", 4), "", loadOf(blank), blank}, // odd text breaks nothing
        {a, "", loadOf(a), a},
        {QString(1 << 20, QLatin1Char('w')), "", loadOf(blank), blank},
    };
    for (const auto &[go, cancel, story, at] : rows) {
        SCOPED_TRACE(go.left(80).toStdString());
        r.events.clear();
        r.cancelSuffix = cancel;
        const qsizetype finished = engineFinished.count();
        const int error = errorOf([&] {
            go == "back" ? b.GoBack() : go == "forward" ? b.GoForward() : b.Navigate(go);
        });
        if (error)
            r.events << QStringLiteral("error %1").arg(error);
        // A cancelled navigation still runs an engine load pair: wait for its end too.
        EXPECT_TRUE(error || waitUntil([&] { return engineFinished.count() > finished && !b.Busy(); }));
        EXPECT_EQ(r.story() + " => " + b.LocationURL(), story + " => " + at);
        EXPECT_EQ(r.title, b.LocationName());
    }
    // about:blank is asked about by the browser itself (the engine asks nothing): cancelled, nothing starts.
    r.events.clear();
    r.cancelSuffix = blank;
    b.Navigate(blank);
    EXPECT_EQ(r.story() + (b.Busy() ? " while busy" : ""), "BeforeNavigate2 about:blank");
}

TEST_F(Engine, SilentHidesDialogsAndTheScriptRunsOnWithoutItTheyGoToTheEngine)
{
    // A dialog that gets through is counted and rejected (confirm then gives
    // false, prompt null), so that it fails the test instead of blocking it.
    int shown = 0;
    QTimer trap;
    QObject::connect(&trap, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            ++shown;
            dialog->reject();
        }
    });
    trap.start(10);
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent ? "silent" : "not silent");
        shown = 0;
        b.setSilent(silent);
        ASSERT_TRUE(load(b, r, pageUrl("dialogs.html")));
        ASSERT_TRUE(waitUntil([&] { return b.LocationName().startsWith("after-alert"); }))
            << b.LocationName().toStdString();
        EXPECT_EQ(std::tuple(b.LocationName(), Access::suppressedDialogs(b), shown),
                  std::tuple("after-alert confirm=false prompt=null", 3, silent ? 0 : 3))
            << "counted while silent only";
    }
}

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

// A page opened by a user's click loads in the browser handed back, and may
// close itself (a child's WindowClosing); its opener's close is a top's.
// Every handler's answer stands even when it fails after giving it, and the
// browser goes on.
TEST_F(Engine, WindowOpenLoadsInTheBrowserHandedBackAndHandlerErrorsStopAtTheEngine)
{
    for (bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "every handler fails" : "handlers succeed");
        QtWebBrowser opener, popup;
        Recorder ro(opener), rp(popup);
        auto &e = opener.events;
        e.NewWindow2 = [&](tk::WebBrowser *&ppDisp, bool &) { ppDisp = popup.Application(); };
        if (failing) {
            failAfter(e.ProgressChange), failAfter(e.DownloadBegin), failAfter(e.DownloadComplete);
            failAfter(e.TitleChange), failAfter(e.PropertyChange), failAfter(e.BeforeNavigate2);
            failAfter(e.NewWindow2), failAfter(e.NavigateComplete2), failAfter(e.WindowClosing);
        }
        opener.widget()->resize(400, 300);
        opener.widget()->show(); // a user's click reaches only a shown page
        ASSERT_TRUE(load(opener, ro, pageUrl("opener.html")));
        ASSERT_TRUE(waitUntil([&] { return opener.LocationName() == "Opener ready"; }));
        clickPage(opener.widget(), QPoint(100, 50));
        ASSERT_TRUE(waitUntil([&] { return popup.LocationName() == "Popup" && !popup.Busy(); }))
            << rp.story().toStdString();
        EXPECT_EQ(opener.LocationURL(), pageUrl("opener.html"));
        for (QtWebBrowser *w : {&popup, &opener})
            Access::page(*w)->runJavaScript("window.close()");
        ASSERT_TRUE(waitUntil([&] {
            return rp.events.endsWith("WindowClosing child") && ro.events.endsWith("WindowClosing top");
        })) << rp.story().toStdString()
            << "; " << ro.story().toStdString();
        EXPECT_EQ(popup.LocationName() + ", " + opener.LocationName(), "Popup, Opener ready")
            << "closing was cancelled";
        ASSERT_TRUE(load(opener, ro, pageUrl("a.html")));
        EXPECT_EQ(ro.story(), loadOf(pageUrl("a.html")));
    }
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

// A killed renderer shows our page, with no navigation of the shell's, and the
// keyboard stays with a dialog of the program's own; Refresh, or our page's
// link, loads the address again as a reload, twice in a row.
TEST_F(Engine, AKilledRendererGivesOurPageAndRefreshOrItsLinkBringsTheAddressBack)
{
    QtWebBrowser other;
    Recorder ro(other);
    // A page of a real size in a shown window, as in the program: at the
    // view's default size the engine does not take the keyboard after a
    // crash, and the dialog's check below could not fail.
    b.widget()->resize(600, 400);
    b.widget()->show();
    const QString a = pageUrl("a.html");
    ASSERT_TRUE(load(b, r, a));
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));
    for (bool byLink : {false, true}) {
        SCOPED_TRACE(byLink ? "our page's link" : "Refresh");
        r.events.clear();
        const qint64 pid = Access::page(b)->renderProcessPid();
        ASSERT_TRUE(pid > 0 && ::kill(pid_t(pid), SIGKILL) == 0);
        ASSERT_TRUE(waitUntil([&] { return pageText(b).contains("This page stopped"); }))
            << r.story().toStdString();
        EXPECT_EQ(b.LocationURL() + " " + b.LocationName() + (b.Busy() ? " busy" : ""), a + " Page A");
        EXPECT_FALSE(r.story().contains(QRegularExpression("Navigate|Download"))) << r.story().toStdString();
        // The engine has asked for the page's window by now.
        EXPECT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == dialog.windowHandle(); }));

        r.events.clear();
        if (byLink)
            Access::page(b)->runJavaScript("document.querySelector('a').click()");
        else
            b.Refresh();
        ASSERT_TRUE(waitUntil([&] { return !b.Busy() && pageText(b) == "A"; })) << r.story().toStdString();
        EXPECT_EQ(b.LocationURL() + " " + b.LocationName(), a + " Page A");
        EXPECT_EQ(r.story(),
                  "DownloadBegin | ProgressChange | TitleChange | ProgressChange -1/100 | DownloadComplete");
    }
    // Other browsers go on, whether they shared that renderer or not.
    ASSERT_TRUE(load(other, ro, pageUrl("b.html")));
    EXPECT_EQ(other.LocationName(), "Page B");
}

TEST_F(Engine, AHiddenBlankPageGivesItsRendererBackAndLoadsAtOnceWhenNavigated)
{
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    const qint64 renderer = Access::page(b)->renderProcessPid();
    ASSERT_GT(renderer, 0);
    b.Navigate("About:Blank");
    b.Discard(); // wanted while the load runs: done once it has ended
    ASSERT_TRUE(waitUntil([&] { return Access::page(b) == nullptr; })) << r.story().toStdString();
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(renderer)); }))
        << "the page's renderer ends with it";
    EXPECT_EQ(b.LocationURL() + (b.Busy() ? " busy" : ""), "about:blank");
    b.Stop(); // nothing to stop, nothing brought back
    EXPECT_EQ(Access::page(b), nullptr);
    EXPECT_EQ(errorOf([&] { b.GoBack(); }), tk::kComponentError) << "as in a new browser, no history";

    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    EXPECT_EQ(r.story(), loadOf(pageUrl("b.html")));
    EXPECT_EQ(b.LocationName() + " " + pageText(b), "Page B B");
}

TEST_F(Engine, APageDiscardedAsItsRendererDiesLeavesTheNextLoadItsStory)
{
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    // Discard asked right as the renderer dies: the page goes before our
    // stopped page has loaded in it.
    QObject::connect(Access::page(b), &QWebEnginePage::renderProcessTerminated, [&] { b.Discard(); });
    const qint64 pid = Access::page(b)->renderProcessPid();
    ASSERT_TRUE(pid > 0 && ::kill(pid_t(pid), SIGKILL) == 0);
    ASSERT_TRUE(waitUntil([&] { return Access::page(b) == nullptr; })) << r.story().toStdString();
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    EXPECT_EQ(r.story(), loadOf(pageUrl("b.html")));
}

// How often the engine's compositor thread in this process has gone to
// sleep and been woken so far; -1 without one (or without /proc).
long compositorWakesSoFar()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + "/comm")), status(tasks.filePath(task + "/status"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "VizCompositorTh" ||
            !status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                return line.mid(24).trimmed().toLong();
    }
    return -1;
}

// Whether, before the bound, some half second sees the compositor thread wake
// a number of times that satisfies `rate` (a frame clock wakes it thirty
// times in that span).
template <class Rate> bool compositorWakes(Rate rate, int boundMs)
{
    std::deque<std::pair<qint64, long>> seen; // (ms, wakes) of the last half second
    QElapsedTimer clock;
    clock.start();
    return waitFor(
        [&] {
            seen.emplace_back(clock.elapsed(), compositorWakesSoFar());
            while (seen.size() > 1 && seen.back().first - seen[1].first >= 500)
                seen.pop_front();
            return seen.back().first - seen.front().first >= 500 &&
                   rate(seen.back().second - seen.front().second);
        },
        boundMs);
}

// Runs seen for each event of a type that reaches an object.
class EventCounter : public QObject {
public:
    EventCounter(QObject *object, QEvent::Type type, std::function<void()> seen)
        : m_type(type), m_seen(std::move(seen))
    {
        object->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            m_seen();
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_seen;
};

// A tab switched away from, or a window closed to the tray, while its page
// animated: the engine could hand the hidden view one more frame, which a
// hidden view never painted, and the engine's compositor then woke every
// frame, waiting for it, for as long as the view stayed hidden. Changes of
// the page's background colour make the engine draw such frames for certain.
TEST(HiddenPage, AFrameDrawnForAHiddenPageLetsTheEnginesCompositorRest)
{
    const QString spinning =
        writePage("spinning.html",
                  "<title>Spinning</title><div id=s style='width:60px;height:60px;background:teal'></div>"
                  "<script>const f = () => { s.style.marginLeft = performance.now() % 200 + 'px';"
                  " requestAnimationFrame(f); }; requestAnimationFrame(f);</script>");
    ASSERT_FALSE(spinning.isEmpty());
    QWidget window;
    window.resize(400, 300);
    QtWebBrowser b;
    b.widget()->setParent(&window);
    b.widget()->setGeometry(0, 0, 400, 300);
    window.show();
    b.Navigate(spinning);
    ASSERT_TRUE(waitUntil([&] { return b.LocationName() == "Spinning"; }));
    ASSERT_TRUE(compositorWakes([](long n) { return n >= 20; }, 5000)) << "the page does not animate";

    // The hidden view is asked to paint once the engine has handed it a
    // frame; a second one then waits behind it for certain.
    auto *paints = b.widget()->findChild<QQuickWidget *>();
    ASSERT_NE(paints, nullptr);
    int hiddenPaints = 0;
    EventCounter counter(paints, QEvent::Timer, [&] { hiddenPaints += !paints->isVisible(); });
    b.widget()->hide();
    Access::page(b)->setBackgroundColor(Qt::darkCyan);
    ASSERT_TRUE(waitUntil([&] { return hiddenPaints > 0; }));
    Access::page(b)->setBackgroundColor(Qt::darkGreen);
    EXPECT_TRUE(compositorWakes([](long n) { return n <= 8; }, 10000)) << "hidden, it still wakes";
}

TEST(SceneGraphChoice, SoftwareOnlyWithoutAGpuOrWhenAskedAndTheUsersChoiceStands)
{
    using enum tk::SceneGraph;
    // forced, the user chose a backend, Mesa told to draw in software, a GPU render node.
    const std::pair<tk::GraphicsFacts, tk::SceneGraph> rows[] = {
        {{"", false, false, true}, Default},         // a GPU: the hardware path stays
        {{"", false, false, false}, Software},       // no render node: OpenGL would be software
        {{"", false, true, true}, Software},         // Mesa told to draw in software
        {{"", true, false, false}, Default},         // the user's own backend stands
        {{"software", true, false, true}, Software}, // forced
        {{"default", false, true, false}, Default},
        {{"bogus", false, false, true}, Default}, // an unknown value decides nothing
    };
    for (const auto &[facts, expected] : rows)
        EXPECT_EQ(tk::sceneGraphFor(facts), expected)
            << facts.forced.toStdString() << facts.userChose << facts.softwareGl << facts.gpuDevice;
}

} // namespace
