// The tabbed control on the real engine: the start page's title, windows a
// page opens (only for the user's click), a page closing itself, closed tabs
// giving their page back, text dropped on a tab, full screen, and the keys
// while the page has the keyboard.

#include "EngineSupport.h"
#include "QtWebBrowserTestAccess.h"
#include "WBControl.h"
#include "browser/webengine/QtWebBrowser.h"
#include "toolkit/Fonts.h"
#include "toolkit/Form.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTcpServer>
#include <QWebEnginePage>

using Access = tk::QtWebBrowserTestAccess;

namespace {

// A page whose title says "<title> ready" once it has been painted, so that
// a click lands on a page that can take it.
QString readyPage(const QString &name, const QString &title, const QString &body)
{
    return writePage(name,
                     QStringLiteral("<title>%1</title><body style='margin:0'>%2<script>"
                                    "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                                    " document.title = '%1 ready'; }); });</script></body>")
                         .arg(title, body));
}
QString titledPage(const QString &name, const QString &title)
{
    return writePage(name, QStringLiteral("<title>%1</title><body>%1</body>").arg(title));
}
// A block of 300 × h pixels, one under the other from the top left.
QString block(const QString &tag, const QString &attributes, int h = 100)
{
    return QStringLiteral("<%1 %2 style='display:block;width:300px;height:%3px'>%1</%1>")
        .arg(tag, attributes)
        .arg(h);
}

class ShellOnEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.Move(0, 0, 12000, 8000);
        tabs.Move(0, 0, 12000, 8000);
        host.Show();
    }
    ::testing::AssertionResult titled(int16_t i, const QString &title)
    {
        if (waitUntil([&] { return tabs.WB(i)->LocationName() == title; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "tab " << i << " is titled " << tabs.WB(i)->LocationName().toStdString();
    }
    QWidget *view(int16_t i) { return tabs.WB(i).peer(); }
    QStringList open() { return tabs.List1.items(); }
    tk::QtWebBrowser &engine(int16_t i) { return static_cast<tk::QtWebBrowser &>(tabs.WB(i).browser()); }
    void select(int16_t i) { tabs.MTab(i).events.MouseDown(tk::kLeftButton, 0, 0, 0); }
    // Clicks the page until its title says the click was taken.
    bool clickUntilTitled(int16_t i, QPoint at, const QString &title)
    {
        for (int click = 0; click < 20; ++click) {
            clickPage(view(i), at);
            if (waitFor([&] { return tabs.WB(i)->LocationName() == title; }, 1000))
                return true;
        }
        return false;
    }
    // Gives the selected page the keyboard and presses a key there.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        tabs.WB(tabs.CurrentTab).SetFocus();
        ASSERT_TRUE(waitUntil([&] { return tabs.WB(tabs.CurrentTab).containsFocus(); }));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    tk::Form host;
    WBControl tabs{&host};
};

TEST_F(ShellOnEngine, TheStartPagesTitleBecomesTabZerosCaption)
{
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(0).Tag() == "Tavrin"; }));
    EXPECT_EQ(tabs.Tstr(0).Caption(), "Tavrin");
    EXPECT_TRUE(tabs.WB(0)->LocationURL().endsWith("/start.html"));
}

TEST_F(ShellOnEngine, OnlyTheUsersClicksOpenWindowsEachInANewTabThatLoadsIt)
{
    for (const char *name : {"script", "target", "handler"})
        titledPage(QStringLiteral("%1.html").arg(name), QStringLiteral("%1 page").arg(name));
    // A window opened as the page loads, a link with a new-window target and
    // a button whose click handler opens one.
    const QString links = readyPage("links.html", "Links",
                                    "<script>window.open('script.html', '_blank');</script>" +
                                        block("a", "href='target.html' target='_blank'") +
                                        block("button", "onclick=\"window.open('handler.html')\""));
    ASSERT_EQ(tabs.NewWindow(links), std::optional<int16_t>(1));
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(1)->LocationName() == "Links ready" || open().size() > 1; }));
    ASSERT_EQ(open(), QStringList{"1"}) << "the page's own window.open opened a tab";

    clickPage(view(1), QPoint(150, 50));
    ASSERT_TRUE(waitUntil([&] { return open().size() == 2; })) << "the link opens a tab";
    ASSERT_TRUE(titled(2, "target page"));
    EXPECT_EQ(tabs.WB(2)->LocationURL(), pageUrl("target.html"));
    EXPECT_EQ(tabs.CurrentTab, 2);
    EXPECT_TRUE(tabs.WBCnt(2).peer()->isVisible());
    // Back on the links, the button's handler, then a middle click on the link.
    const struct {
        QPoint at;
        Qt::MouseButton button;
        const char *title;
    } clicks[] = {{{150, 150}, Qt::LeftButton, "handler page"}, {{150, 50}, Qt::MiddleButton, "target page"}};
    for (const auto &c : clicks) {
        select(1);
        ASSERT_TRUE(waitUntil([&] { return view(1)->isVisible(); }));
        clickPage(view(1), c.at, c.button);
        const auto n = int16_t(open().size() + 1);
        ASSERT_TRUE(waitUntil([&] { return open().size() == n; })) << c.title;
        ASSERT_TRUE(titled(n, c.title));
    }
    // The page's own window.open never got a tab.
    for (int16_t i : {0, 1, 2, 3, 4})
        EXPECT_NE(tabs.WB(i)->LocationURL(), pageUrl("script.html")) << "tab " << i;
    EXPECT_EQ(open(), (QStringList{"1", "2", "3", "4"}));
}

// A page closing itself, or closed with its button, leaves its tab kept for
// reuse, gives its renderer back and loads at once when the tab is reused.
TEST_F(ShellOnEngine, AClosedTabGivesItsPageBackAndIsReusedAtOnce)
{
    writePage("closes.html",
              "<title>Closes</title><script>setTimeout(function () { window.close(); }, 50);</script>");
    tabs.NewWindow(
        readyPage("opens-closer.html", "Opener", block("a", "href='closes.html' target='_blank'")));
    ASSERT_TRUE(titled(1, "Opener ready"));
    clickPage(view(1), QPoint(150, 50));
    ASSERT_TRUE(waitUntil([&] { return tabs.List2.ListCount() == 1; }));
    EXPECT_EQ(tabs.List1.items(), QStringList{"1"});
    EXPECT_EQ(tabs.List2.items(), QStringList{"2"});
    EXPECT_EQ(tabs.CurrentTab, 1);
    EXPECT_FALSE(tabs.MTab(2).Visible());
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(2)->LocationURL() == "about:blank"; }));

    for (int16_t closed : {2, 1}) {
        SCOPED_TRACE(closed);
        if (closed == 1) { // with its button
            ASSERT_GT(Access::page(engine(1))->renderProcessPid(), 0);
            tabs.Tcbt(1).events.MouseDown(tk::kLeftButton, 0, 10, 10);
            tabs.Tcbt(1).events.MouseUp(tk::kLeftButton, 0, 10, 10);
            ASSERT_EQ(tabs.List2.items(), QStringList{"1"});
        }
        ASSERT_TRUE(waitUntil([&] { return Access::page(engine(closed)) == nullptr; }));
        EXPECT_EQ(tabs.WB(closed)->LocationURL(), "about:blank");
        const QString again =
            titledPage(QStringLiteral("again%1.html").arg(closed), QStringLiteral("Again %1").arg(closed));
        ASSERT_EQ(tabs.NewWindow(again), std::optional<int16_t>(closed));
        EXPECT_TRUE(tabs.WB(closed)->Busy());
        ASSERT_TRUE(
            waitUntil([&] { return tabs.MTab(closed).Tag() == QStringLiteral("Again %1").arg(closed); }));
        EXPECT_EQ(tabs.WB(closed)->LocationURL(), again);
        EXPECT_GT(Access::page(engine(closed))->renderProcessPid(), 0);
    }
    EXPECT_EQ(tabs.List1.items(), (QStringList{"2", "1"}));
}

// Drags text over a widget and drops it, as the window system delivers it.
void dropText(QWidget *target, const QString &text)
{
    QMimeData data;
    data.setText(text);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

TEST_F(ShellOnEngine, TextDroppedOnATabOpensInThatTabAndOddTextBreaksNothing)
{
    const QString second = titledPage("second.html", "Second"),
                  dropped = titledPage("dropped.html", "Dropped");
    tabs.NewWindow(titledPage("first.html", "First"));
    tabs.NewWindow(second);
    ASSERT_TRUE(titled(1, "First"));
    ASSERT_TRUE(titled(2, "Second"));
    // Control characters, a script address and a megabyte of text first: the
    // tab is selected each time and keeps working.
    for (const QString &odd :
         {QString::fromUtf16(u"\u0000\u0007x\u001b", 4), QStringLiteral("javascript:document.title='ran'"),
          QString(1 << 20, QLatin1Char('w'))})
        dropText(tabs.Tstr(1).peer(), odd);
    EXPECT_EQ(tabs.CurrentTab, 1);
    select(2);
    dropText(tabs.TIcon(1).peer(), dropped);
    EXPECT_EQ(tabs.CurrentTab, 1);
    ASSERT_TRUE(titled(1, "Dropped"));
    EXPECT_EQ(tabs.WB(1)->LocationURL(), dropped);
    EXPECT_EQ(tabs.WB(2)->LocationURL() + " " + tabs.WB(2)->LocationName(), second + " Second");
    EXPECT_TRUE(tabs.WBCnt(1).peer()->isVisible());
}

TEST_F(ShellOnEngine, AFormsShortcutFiresWhileTheFocusIsInThePageAndOtherKeysStayThePages)
{
    const QString keys =
        writePage("keys.html", "<title>Keys</title><body><input id=i autofocus><script>"
                               "document.getElementById('i').addEventListener('keydown',"
                               " function (e) { document.title = 'key ' + e.key; });</script></body>");
    int fired = 0;
    host.bindShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [&] { ++fired; });
    QApplication::setActiveWindow(host.peer());
    tabs.WB(0)->Navigate(keys);
    ASSERT_TRUE(titled(0, "Keys"));
    press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    // The renderer may take the focus a moment after the widget: press again until the page hears it.
    bool heard = false;
    for (int n = 0; n < 50 && !heard; ++n) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q);
        heard = waitFor([&] { return tabs.WB(0)->LocationName() == "key q"; }, 200);
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(fired, 1);
}

TEST_F(ShellOnEngine, APageGoesFullScreenOnlyFromTheSelectedTabAndEveryWayOutRestoresTheWindow)
{
    const QString page = readyPage(
        "full.html", "Full",
        block("button", "onclick='document.documentElement.requestFullscreen()'", 200) +
            block("button", "onclick='later()'", 200) +
            "<script>document.addEventListener('fullscreenchange', function () {"
            " document.title = document.fullscreenElement ? 'in' : 'out'; });"
            "function later() { document.title = 'waiting'; setTimeout(function () {"
            " document.documentElement.requestFullscreen().then("
            "  function () { document.title = 'granted'; }, function () { document.title = 'denied'; });"
            " }, 1000); }</script>");
    ASSERT_EQ(tabs.NewWindow(page), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, "Full ready"));
    const QRect frame = host.peer()->geometry(), inTab = view(1)->geometry();
    auto expectAsBefore = [&] {
        EXPECT_EQ(tabs.fullScreenTab(), std::nullopt);
        EXPECT_EQ(view(1)->window(), host.peer());
        EXPECT_EQ(view(1)->parentWidget(), tabs.WBCnt(1).clientWidget());
        EXPECT_EQ(view(1)->geometry(), inTab);
        EXPECT_TRUE(view(1)->isVisible());
        EXPECT_EQ(host.peer()->geometry(), frame);
        EXPECT_EQ(tabs.CurrentTab, 1);
    };
    // In, then out with Escape pressed while the keyboard is in the page.
    ASSERT_TRUE(clickUntilTitled(1, QPoint(150, 100), "in"));
    EXPECT_EQ(tabs.fullScreenTab(), std::optional<int16_t>(1));
    QWidget *full = view(1)->window();
    EXPECT_NE(full, host.peer());
    EXPECT_TRUE(full->isFullScreen());
    EXPECT_EQ(view(1)->geometry(), full->rect());
    QApplication::setActiveWindow(full);
    tabs.WB(1).SetFocus();
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(1).containsFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(titled(1, "out"));
    expectAsBefore();
    EXPECT_FALSE(full->isVisible());
    // In again, and the page leaves by itself.
    ASSERT_TRUE(clickUntilTitled(1, QPoint(150, 100), "in"));
    tabs.WB(1)->Navigate("javascript:document.exitFullscreen()");
    ASSERT_TRUE(titled(1, "out"));
    expectAsBefore();
    // Asked for after its tab was left: refused, and the page hears so.
    ASSERT_TRUE(clickUntilTitled(1, QPoint(150, 300), "waiting"));
    select(0);
    ASSERT_TRUE(waitUntil([&] {
        return QStringList{"out", "denied", "granted"}.contains(tabs.WB(1)->LocationName());
    }));
    EXPECT_EQ(tabs.fullScreenTab(), std::nullopt);
    EXPECT_EQ(view(1)->window(), host.peer());
    EXPECT_EQ(host.peer()->geometry(), frame);
    EXPECT_EQ(tabs.CurrentTab, 0);
    EXPECT_FALSE(full->isVisible());
}

TEST_F(ShellOnEngine, TheBrowsersKeysWorkWhileTheKeyboardIsInThePage)
{
    int loads = 0;
    tabs.events.DownloadBegin = [&](int16_t &, QVariant &) { ++loads; };
    QApplication::setActiveWindow(host.peer());
    tabs.WB(0)->Navigate(titledPage("ka.html", "Page A"));
    ASSERT_TRUE(titled(0, "Page A"));
    tabs.WB(0)->Navigate(titledPage("kb.html", "Page B"));
    ASSERT_TRUE(titled(0, "Page B"));
    ASSERT_EQ(tabs.NewWindow(titledPage("kc.html", "Page C")), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, "Page C"));
    press(Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_TRUE(waitUntil([&] { return qFuzzyCompare(tabs.WB(1)->zoomFactor(), 1.1); }));
    EXPECT_DOUBLE_EQ(tabs.WB(0)->zoomFactor(), 1.0) << "the other tab keeps its zoom";
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentTab, 0);
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(titled(0, "Page A"));
    // Keys without Ctrl or Alt go to the page first and come back to the
    // window when it leaves them alone: press until the page reloads.
    const int before = loads;
    bool reloaded = false;
    for (int n = 0; n < 50 && !reloaded; ++n) {
        press(Qt::Key_F5);
        reloaded = waitFor([&] { return loads > before; }, 200);
    }
    EXPECT_TRUE(reloaded);
    EXPECT_TRUE(waitUntil([&] { return !tabs.WB(0)->Busy(); }));
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(open(), QStringList{"1"}) << "tab 0 stays";
    // A server that never answers keeps the page loading until Escape.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    tabs.WB(0)->Navigate(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));
    ASSERT_TRUE(waitUntil([&] { return silent.hasPendingConnections() || silent.waitForNewConnection(0); }));
    ASSERT_TRUE(tabs.WB(0)->Busy());
    for (int n = 0; n < 50 && tabs.WB(0)->Busy(); ++n) {
        press(Qt::Key_Escape);
        waitFor([&] { return !tabs.WB(0)->Busy(); }, 200);
    }
    EXPECT_FALSE(tabs.WB(0)->Busy());
    press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentTab, 1);
    press(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_TRUE(open().isEmpty());
    EXPECT_EQ(tabs.CurrentTab, 0);
}

// A script address starts no navigation, so nothing but the tab's making can have silenced its page.
TEST_F(ShellOnEngine, AScriptAddressInANewTabShowsNoDialog)
{
    const std::optional<int16_t> n = tabs.NewWindow("javascript:alert(1)");
    ASSERT_TRUE(n.has_value());
    EXPECT_TRUE(waitUntil([&] { return Access::suppressedDialogs(engine(*n)) == 1; }));
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] {
        tk::setUpFonts();
        tk::registerQtWebBrowserFactory();
        return true;
    });
}
