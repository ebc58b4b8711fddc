// The Qt WebEngine browser component driven through its contract, on local
// pages in a temporary folder: event order, properties, cancelling, Silent,
// new windows, closing and crash recovery.

#include "QtWebBrowser.h"
#include "TkError.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>

#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using tk::QtWebBrowser;

namespace {

QTemporaryDir *g_pages = nullptr;

bool writePage(const QString &name, const QString &html)
{
    QFile file(g_pages->filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(html.toUtf8()) == html.toUtf8().size();
}

QString pageUrl(const QString &name)
{
    return QUrl::fromLocalFile(g_pages->filePath(name)).toString();
}

bool writePages()
{
    return writePage("a.html", "<html><head><title>Page A</title></head>"
                               "<body>A<p id=part>x</p></body></html>")
        && writePage("b.html", "<html><head><title>Page B</title></head><body>B</body></html>")
        && writePage("dialogs.html",
                     "<html><head><title>Dialogs</title></head><body><script>"
                     "alert('hello');"
                     "var c = confirm('sure?');"
                     "var p = prompt('name?', 'x');"
                     "document.title = 'after-alert confirm=' + c"
                     " + ' prompt=' + (p === null ? 'null' : p);"
                     "</script></body></html>")
        && writePage("opener.html", "<html><head><title>Opener</title></head><body><script>"
                                    "window.open('popup.html', '_blank');"
                                    "</script></body></html>")
        && writePage("popup.html", "<html><head><title>Popup</title></head><body>popup</body></html>");
}

// Spins the event loop until cond() holds. The bound only turns a broken
// engine into a failure instead of a hang; nothing is timed.
template <class Cond>
bool waitUntil(Cond cond)
{
    QDeadlineTimer deadline(60000);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// Everything one browser raises, by name, with the arguments that matter.
struct Recorder {
    std::vector<std::string> names;
    std::vector<std::pair<int, int>> progress;
    QStringList beforeUrls, completeUrls, titles;
    std::vector<tk::WebBrowser *> completeSenders;
    std::vector<bool> closings; // isChild of each WindowClosing (always cancelled)
    bool busyAtComplete = true;
    QString cancelSuffix;       // BeforeNavigate2 cancels addresses ending so

    explicit Recorder(QtWebBrowser &b)
    {
        auto &e = b.events;
        e.BeforeNavigate2 = [this](const QString &url, bool &cancel) {
            names.push_back("BeforeNavigate2");
            beforeUrls << url;
            cancel = !cancelSuffix.isEmpty() && url.endsWith(cancelSuffix);
        };
        e.DownloadBegin = [this] { names.push_back("DownloadBegin"); };
        e.ProgressChange = [this](int32_t p, int32_t max) {
            names.push_back("ProgressChange");
            progress.emplace_back(p, max);
        };
        e.NavigateComplete2 = [this](tk::WebBrowser *sender, const QString &url) {
            names.push_back("NavigateComplete2");
            completeSenders.push_back(sender);
            completeUrls << url;
        };
        e.TitleChange = [this](const QString &text) {
            names.push_back("TitleChange");
            titles << text;
        };
        e.DownloadComplete = [this, &b] {
            names.push_back("DownloadComplete");
            busyAtComplete = b.Busy();
        };
        e.PropertyChange = [this](const QString &) { names.push_back("PropertyChange"); };
        e.WindowClosing = [this](bool isChild, bool &cancel) {
            names.push_back("WindowClosing");
            closings.push_back(isChild);
            cancel = true;
        };
    }

    int count(const std::string &name) const
    {
        return int(std::count(names.begin(), names.end(), name));
    }
    int first(const std::string &name) const
    {
        auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : int(it - names.begin());
    }
    std::string log() const
    {
        std::string s;
        for (const auto &n : names)
            s += n + ' ';
        return s;
    }
    void clear()
    {
        names.clear();
        progress.clear();
        beforeUrls.clear();
        completeUrls.clear();
        titles.clear();
        completeSenders.clear();
        closings.clear();
    }
};

// Navigates and waits for the load's DownloadComplete and for Busy to drop.
::testing::AssertionResult load(QtWebBrowser &b, Recorder &r, const QString &url)
{
    const int before = r.count("DownloadComplete");
    b.Navigate(url);
    if (!waitUntil([&] { return r.count("DownloadComplete") > before && !b.Busy(); }))
        return ::testing::AssertionFailure() << "no DownloadComplete for " << url.toStdString()
                                             << "; events: " << r.log();
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
        if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QDialog *>(watched)) {
                ++shown;
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

template <class F>
void expectComponentError(F &&call)
{
    try {
        call();
        ADD_FAILURE() << "no TkError thrown";
    } catch (const tk::TkError &e) {
        EXPECT_EQ(e.number(), tk::kComponentError);
    }
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

    // First occurrences in the classic component's order.
    const int before = r.first("BeforeNavigate2"), begin = r.first("DownloadBegin"),
              progress = r.first("ProgressChange"), committed = r.first("NavigateComplete2"),
              title = r.first("TitleChange"), complete = r.first("DownloadComplete");
    EXPECT_EQ(before, 0) << r.log();
    EXPECT_LT(before, begin) << r.log();
    EXPECT_LT(begin, progress) << r.log();
    EXPECT_LT(progress, committed) << r.log();
    EXPECT_LT(committed, title) << r.log();
    EXPECT_LT(title, complete) << r.log();
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.count("PropertyChange"), 0);

    EXPECT_EQ(r.beforeUrls.value(0), pageUrl("a.html"));
    EXPECT_EQ(r.completeUrls.value(0), pageUrl("a.html"));
    ASSERT_FALSE(r.completeSenders.empty());
    EXPECT_EQ(r.completeSenders[0], &b);
    EXPECT_TRUE(r.titles.contains("Page A")) << r.titles.join('|').toStdString();

    // Progress runs against 100 and ends with -1 right before DownloadComplete.
    ASSERT_FALSE(r.progress.empty());
    for (const auto &[p, max] : r.progress)
        EXPECT_EQ(max, 100);
    EXPECT_EQ(r.progress.back().first, -1);
    EXPECT_EQ(r.names[r.names.size() - 2], "ProgressChange");
}

TEST(EngineNavigation, MixedCaseAboutBlankAndEmptyAddressesLoadAboutBlank)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));

    r.clear();
    ASSERT_TRUE(load(b, r, " About:Blank "));
    EXPECT_EQ(b.LocationURL(), "about:blank") << "Chromium blocks about:Blank";
    // The engine asks nothing before about:blank; the browser still does.
    EXPECT_EQ(r.beforeUrls, QStringList{"about:blank"});
    EXPECT_EQ(r.first("BeforeNavigate2"), 0) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();

    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(load(b, r, "   "));
    EXPECT_EQ(b.LocationURL(), "about:blank");
}

TEST(EngineNavigation, FragmentNavigationReportsTheCommitAndLeavesBusy)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    r.clear();

    // No load happens for a fragment: only the commit.
    b.Navigate(pageUrl("a.html") + "#part");
    EXPECT_TRUE(b.Busy());
    ASSERT_TRUE(waitUntil([&] { return r.count("NavigateComplete2") == 1; })) << r.log();
    EXPECT_FALSE(b.Busy()) << "Busy stuck after a navigation without a load";
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html") + "#part");
    EXPECT_EQ(r.count("DownloadBegin"), 0) << r.log();
}

TEST(EngineNavigation, CancelledNavigationKeepsThePageAndRaisesNoLoadEvents)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    r.clear();

    r.cancelSuffix = "b.html";
    QSignalSpy engineFinished(b.page(), &QWebEnginePage::loadFinished);
    b.Navigate(pageUrl("b.html"));
    // The engine still runs a load pair for the rejected navigation; wait for its end.
    ASSERT_TRUE(waitUntil([&] { return engineFinished.count() == 1; }));
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadBegin"), 0) << r.log();
    EXPECT_EQ(r.count("DownloadComplete"), 0) << r.log();
    EXPECT_EQ(r.count("ProgressChange"), 0) << r.log();
    EXPECT_EQ(r.count("NavigateComplete2"), 0) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    EXPECT_FALSE(b.Busy());

    // about:blank is asked about by the browser itself: cancelled, nothing starts.
    r.cancelSuffix = "about:blank";
    b.Navigate("about:blank");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(r.count("BeforeNavigate2"), 2) << r.log();

    // The next navigation is reported in full again, and only it.
    r.cancelSuffix.clear();
    r.clear();
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.count("DownloadComplete"), 1) << r.log();
    EXPECT_EQ(r.completeUrls, QStringList{pageUrl("b.html")});
    EXPECT_EQ(b.LocationURL(), pageUrl("b.html"));
}

TEST(EngineNavigation, NavigatingElsewhereFromBeforeNavigate2ReportsOnlyTheNewLoad)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    r.clear();

    // The classic redirect: cancel, and navigate to another address instead.
    auto record = b.events.BeforeNavigate2;
    b.events.BeforeNavigate2 = [&](const QString &url, bool &cancel) {
        record(url, cancel);
        if (url.endsWith("b.html")) {
            cancel = true;
            b.Navigate(pageUrl("popup.html"));
        }
    };
    b.Navigate(pageUrl("b.html"));
    EXPECT_TRUE(b.Busy());
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1 && !b.Busy(); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("popup.html"));
    EXPECT_EQ(r.beforeUrls, (QStringList{pageUrl("b.html"), pageUrl("popup.html")}));
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
    EXPECT_EQ(r.completeUrls, QStringList{pageUrl("popup.html")});
}

TEST(EngineHistory, BackAndForwardFollowHistoryAndFailPastItsEnds)
{
    QtWebBrowser b;
    Recorder r(b);
    expectComponentError([&] { b.GoBack(); });
    expectComponentError([&] { b.GoForward(); });

    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    ASSERT_TRUE(load(b, r, pageUrl("b.html")));
    r.clear();

    b.GoBack();
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 1 && !b.Busy(); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(r.count("BeforeNavigate2"), 1) << r.log();
    expectComponentError([&] { b.GoBack(); });

    b.GoForward();
    ASSERT_TRUE(waitUntil([&] { return r.count("DownloadComplete") == 2 && !b.Busy(); })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("b.html"));
    expectComponentError([&] { b.GoForward(); });
}

TEST(EngineSilent, DialogsStayHiddenAndTheScriptRunsOn)
{
    DialogTrap trap;
    QtWebBrowser b;
    Recorder r(b);
    b.setSilent(true);
    ASSERT_TRUE(load(b, r, pageUrl("dialogs.html")));
    // A dialog reaching the default handlers would block this page for good.
    ASSERT_TRUE(waitUntil([&] { return b.LocationName().startsWith("after-alert"); }))
        << b.LocationName().toStdString();
    EXPECT_EQ(b.LocationName(), "after-alert confirm=false prompt=null");
    EXPECT_TRUE(r.titles.contains("after-alert confirm=false prompt=null"));
    EXPECT_EQ(b.suppressedDialogs(), 3);
    EXPECT_EQ(trap.shown, 0);
}

TEST(EngineSilent, WithoutSilentDialogsGoToTheEngineDefaults)
{
    DialogTrap trap; // rejects each dialog: confirm gives false, prompt null
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("dialogs.html")));
    ASSERT_TRUE(waitUntil([&] { return b.LocationName().startsWith("after-alert"); }))
        << b.LocationName().toStdString();
    EXPECT_EQ(trap.shown, 3);
    EXPECT_EQ(b.suppressedDialogs(), 0);
}

TEST(EngineWindows, WindowOpenLoadsInTheBrowserHandedBackAndItsCloseIsAChilds)
{
    QtWebBrowser opener;
    Recorder r(opener);
    std::unique_ptr<QtWebBrowser> popup;
    std::unique_ptr<Recorder> pr;
    int asked = 0;
    opener.events.NewWindow2 = [&](tk::WebBrowser *&ppDisp, bool &) {
        ++asked;
        popup = std::make_unique<QtWebBrowser>();
        pr = std::make_unique<Recorder>(*popup);
        ppDisp = popup->Application();
    };
    ASSERT_TRUE(load(opener, r, pageUrl("opener.html")));
    ASSERT_TRUE(waitUntil([&] {
        return popup && popup->LocationURL().endsWith("popup.html") && pr->count("DownloadComplete") >= 1;
    })) << (pr ? pr->log() : std::string("no popup"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(popup->LocationName(), "Popup");
    EXPECT_FALSE(popup->Busy());
    EXPECT_EQ(opener.LocationURL(), pageUrl("opener.html"));

    // A page opened by script may close itself: a child's WindowClosing.
    popup->page()->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return !pr->closings.empty(); })) << pr->log();
    EXPECT_EQ(pr->closings, std::vector<bool>{true});
    EXPECT_TRUE(popup->LocationURL().endsWith("popup.html")) << "cancelled: the page stays";

    // The opener is a top-level window with a single history entry.
    opener.page()->runJavaScript("window.close()");
    ASSERT_TRUE(waitUntil([&] { return !r.closings.empty(); })) << r.log();
    EXPECT_EQ(r.closings, std::vector<bool>{false});
}

TEST(EngineWindows, RefusedNewWindowLeavesTheOpenerAlone)
{
    QtWebBrowser opener;
    Recorder r(opener);
    int asked = 0;
    opener.events.NewWindow2 = [&](tk::WebBrowser *&, bool &cancel) {
        ++asked;
        cancel = true;
    };
    ASSERT_TRUE(load(opener, r, pageUrl("opener.html")));
    ASSERT_TRUE(waitUntil([&] { return asked == 1; }));
    EXPECT_EQ(opener.LocationURL(), pageUrl("opener.html"));
    EXPECT_EQ(opener.LocationName(), "Opener");
    EXPECT_EQ(r.count("DownloadBegin"), 1) << r.log();
}

TEST(EngineCrash, KilledRendererIsReloadedInPlace)
{
    QtWebBrowser b;
    Recorder r(b);
    ASSERT_TRUE(load(b, r, pageUrl("a.html")));
    const qint64 pid = b.page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    r.clear();

    QSignalSpy terminated(b.page(), &QWebEnginePage::renderProcessTerminated);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_TRUE(waitUntil([&] {
        return terminated.count() == 1 && r.count("DownloadComplete") == 1 && !b.Busy();
    })) << r.log();
    EXPECT_EQ(b.LocationURL(), pageUrl("a.html"));
    EXPECT_EQ(b.LocationName(), "Page A");
    EXPECT_GT(b.page()->renderProcessPid(), 0);
    EXPECT_NE(b.page()->renderProcessPid(), pid);
    EXPECT_EQ(r.count("BeforeNavigate2"), 0) << "a reload is no new navigation: " << r.log();
}

} // namespace

int main(int argc, char **argv)
{
    // Profiles and runtime files go to throwaway folders, created before the
    // application so the engine never sees the real ones.
    QTemporaryDir home, runtime;
    if (!home.isValid() || !runtime.isValid())
        return 2;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // Tests run as root in CI, where Chromium refuses its sandbox.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QTemporaryDir pages;
    if (!pages.isValid())
        return 2;
    g_pages = &pages;
    if (!writePages())
        return 2;
    return RUN_ALL_TESTS();
}
