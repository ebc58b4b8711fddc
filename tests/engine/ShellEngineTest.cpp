// The tabbed control on the real engine: the start page's title in tab 0's
// caption, windows a page opens (only for the user's click), a page that
// closes itself closing its tab, text dropped on a tab, and a form's shortcut
// while the page has the keyboard.

#include "EngineSupport.h"
#include "toolkit/Fonts.h"
#include "toolkit/Form.h"
#include "QtWebBrowserTestAccess.h"
#include "browser/webengine/QtWebBrowser.h"
#include "WBControl.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTcpServer>
#include <QWebEnginePage>

namespace {

// A page that says "ready" in its title once it has been painted, so that a
// click lands on a page that can take it.
QString readyPage(const QString &title, const QString &body)
{
    return QStringLiteral("<title>%1</title><body style='margin:0'>%2<script>"
                          "requestAnimationFrame(function () { requestAnimationFrame(function () {"
                          " document.title = '%1 ready'; }); });</script></body>")
        .arg(title, body);
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
        return ::testing::AssertionFailure() << "tab " << i << " is titled "
                                             << tabs.WB(i)->LocationName().toStdString();
    }
    QWidget *view(int16_t i) { return tabs.WB(i).peer(); }
    QStringList open() { return tabs.List1.items(); }

    tk::Form host;
    WBControl tabs{&host};
};

TEST_F(ShellOnEngine, TheStartPagesTitleBecomesTabZerosCaption)
{
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(0).Tag() == QStringLiteral("Tavrin"); }));
    EXPECT_EQ(tabs.Tstr(0).Caption(), QStringLiteral("Tavrin"));
    EXPECT_TRUE(tabs.WB(0)->LocationURL().endsWith(QStringLiteral("/start.html")));
}

TEST_F(ShellOnEngine, OnlyTheUsersClicksOpenWindowsEachInANewTabThatLoadsIt)
{
    for (const char *name : {"script", "target", "handler"})
        writePage(QStringLiteral("%1.html").arg(QLatin1String(name)),
                  QStringLiteral("<title>%1 page</title>").arg(QLatin1String(name)));
    // A window opened as the page loads, a link with a new-window target and
    // a button whose click handler opens one.
    const QString links = writePage(
        QStringLiteral("links.html"),
        readyPage(QStringLiteral("Links"),
                  QStringLiteral("<script>window.open('script.html', '_blank');</script>"
                                 "<a href='target.html' target='_blank' style='display:block;"
                                 "width:300px;height:100px'>target</a>"
                                 "<button onclick=\"window.open('handler.html')\" style='display:block;"
                                 "width:300px;height:100px'>handler</button>")));
    ASSERT_EQ(tabs.NewWindow(links), std::optional<int16_t>(1));
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(1)->LocationName() == QStringLiteral("Links ready") || open().size() > 1; }));
    ASSERT_EQ(open(), QStringList{"1"}) << "the page's own window.open opened a tab";

    clickPage(view(1), QPoint(150, 50));
    ASSERT_TRUE(waitUntil([&] { return open().size() == 2; })) << "the link opens a tab";
    ASSERT_TRUE(titled(2, QStringLiteral("target page")));
    EXPECT_EQ(tabs.WB(2)->LocationURL(), pageUrl(QStringLiteral("target.html")));
    EXPECT_EQ(tabs.CurrentTab, 2);
    EXPECT_TRUE(tabs.WBCnt(2).peer()->isVisible());

    // Back on the links, the button's handler, then a middle click on the link.
    tabs.MTab(1).events.MouseDown(tk::kLeftButton, 0, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return view(1)->isVisible(); }));
    clickPage(view(1), QPoint(150, 150));
    ASSERT_TRUE(waitUntil([&] { return open().size() == 3; })) << "the click handler opens a tab";
    ASSERT_TRUE(titled(3, QStringLiteral("handler page")));
    tabs.MTab(1).events.MouseDown(tk::kLeftButton, 0, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return view(1)->isVisible(); }));
    clickPage(view(1), QPoint(150, 50), Qt::MiddleButton);
    ASSERT_TRUE(waitUntil([&] { return open().size() == 4; })) << "a middle click opens a tab";
    ASSERT_TRUE(titled(4, QStringLiteral("target page")));

    // The page's own window.open never got a tab.
    for (int16_t i : {0, 1, 2, 3, 4})
        EXPECT_NE(tabs.WB(i)->LocationURL(), pageUrl(QStringLiteral("script.html"))) << "tab " << i;
    EXPECT_EQ(open(), (QStringList{"1", "2", "3", "4"}));
}

TEST_F(ShellOnEngine, APageClosingItselfClosesItsTabAndTheTabIsKeptForReuse)
{
    writePage(QStringLiteral("closes.html"),
              QStringLiteral("<title>Closes</title><script>"
                             "setTimeout(function () { window.close(); }, 50);</script>"));
    const QString opener = writePage(
        QStringLiteral("opens-closer.html"),
        readyPage(QStringLiteral("Opener"), QStringLiteral("<a href='closes.html' target='_blank' "
                                                           "style='display:block;width:300px;height:100px'>x</a>")));
    tabs.NewWindow(opener);
    ASSERT_TRUE(titled(1, QStringLiteral("Opener ready")));
    clickPage(view(1), QPoint(150, 50));
    ASSERT_TRUE(waitUntil([&] { return tabs.List2.ListCount() == 1; }));
    EXPECT_EQ(tabs.List1.items(), QStringList{QStringLiteral("1")});
    EXPECT_EQ(tabs.List2.items(), QStringList{QStringLiteral("2")});
    EXPECT_EQ(tabs.CurrentTab, 1);
    EXPECT_FALSE(tabs.MTab(2).Visible());
    // The closed tab's browser goes to the blank page and can be used again.
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(2)->LocationURL() == QStringLiteral("about:blank"); }));
    ASSERT_EQ(tabs.NewWindow(writePage(QStringLiteral("again.html"), QStringLiteral("<title>Again</title>"))),
              std::optional<int16_t>(2));
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(2).Tag() == QStringLiteral("Again"); }));
    EXPECT_EQ(tabs.List1.items(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
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
    const QString first = writePage(QStringLiteral("first.html"), QStringLiteral("<title>First</title>"));
    const QString second = writePage(QStringLiteral("second.html"), QStringLiteral("<title>Second</title>"));
    const QString dropped = writePage(QStringLiteral("dropped.html"), QStringLiteral("<title>Dropped</title>"));
    tabs.NewWindow(first);
    tabs.NewWindow(second);
    ASSERT_TRUE(titled(1, QStringLiteral("First")));
    ASSERT_TRUE(titled(2, QStringLiteral("Second")));

    // Control characters, a script address and a megabyte of text first: the
    // tab is selected each time and keeps working.
    dropText(tabs.Tstr(1).peer(), QString::fromUtf16(u"\u0000\u0007x\u001b", 4));
    dropText(tabs.Tstr(1).peer(), QStringLiteral("javascript:document.title='ran'"));
    dropText(tabs.Tstr(1).peer(), QString(1 << 20, QLatin1Char('w')));
    EXPECT_EQ(tabs.CurrentTab, 1);
    tabs.MTab(2).events.MouseDown(tk::kLeftButton, 0, 0, 0);

    dropText(tabs.TIcon(1).peer(), dropped);
    EXPECT_EQ(tabs.CurrentTab, 1);
    ASSERT_TRUE(titled(1, QStringLiteral("Dropped")));
    EXPECT_EQ(tabs.WB(1)->LocationURL(), dropped);
    EXPECT_EQ(tabs.WB(2)->LocationURL(), second);
    EXPECT_EQ(tabs.WB(2)->LocationName(), QStringLiteral("Second"));
    EXPECT_TRUE(tabs.WBCnt(1).peer()->isVisible());
}

TEST_F(ShellOnEngine, AFormsShortcutFiresWhileTheFocusIsInThePageAndOtherKeysStayThePages)
{
    const QString page = writePage(
        QStringLiteral("keys.html"),
        QStringLiteral("<title>Keys</title><body><input id=i autofocus><script>"
                       "document.getElementById('i').addEventListener('keydown',"
                       " function (e) { document.title = 'key ' + e.key; });</script></body>"));
    int fired = 0;
    host.bindShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [&] { ++fired; });
    tabs.WB(0)->Navigate(page);
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(0)->LocationName() == QStringLiteral("Keys"); }));
    QApplication::setActiveWindow(host.peer());
    tabs.WB(0).SetFocus();
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(0).containsFocus(); }));
    QWidget *focus = QApplication::focusWidget();

    QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    // The renderer may take the focus a moment after the widget: press again
    // until the page hears it.
    bool heard = false;
    for (int press = 0; press < 50 && !heard; ++press) {
        QTest::keyClick(focus, Qt::Key_Q);
        heard = waitFor([&] { return tabs.WB(0)->LocationName() == QStringLiteral("key q"); }, 200);
    }
    EXPECT_TRUE(heard);
    EXPECT_EQ(fired, 1);
}

// Clicks the page until its title says the click was taken.
bool clickUntilTitled(WBControl &tabs, int16_t i, QPoint at, const QString &title)
{
    for (int click = 0; click < 20; ++click) {
        clickPage(tabs.WB(i).peer(), at);
        if (waitFor([&] { return tabs.WB(i)->LocationName() == title; }, 1000))
            return true;
    }
    return false;
}

TEST_F(ShellOnEngine, APageGoesFullScreenOnlyFromTheSelectedTabAndEveryWayOutRestoresTheWindow)
{
    const QString page = writePage(
        QStringLiteral("full.html"),
        readyPage(QStringLiteral("Full"),
                  QStringLiteral("<button style='display:block;width:300px;height:200px'"
                                 " onclick='document.documentElement.requestFullscreen()'>now</button>"
                                 "<button style='display:block;width:300px;height:200px' onclick='later()'>later</button>"
                                 "<script>document.addEventListener('fullscreenchange', function () {"
                                 " document.title = document.fullscreenElement ? 'in' : 'out'; });"
                                 "function later() { document.title = 'waiting'; setTimeout(function () {"
                                 " document.documentElement.requestFullscreen().then("
                                 "  function () { document.title = 'granted'; }, function () { document.title = 'denied'; });"
                                 " }, 1000); }</script>")));
    ASSERT_EQ(tabs.NewWindow(page), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, QStringLiteral("Full ready")));
    const QRect frame = host.peer()->geometry();
    const QRect inTab = view(1)->geometry();
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
    ASSERT_TRUE(clickUntilTitled(tabs, 1, QPoint(150, 100), QStringLiteral("in")));
    EXPECT_EQ(tabs.fullScreenTab(), std::optional<int16_t>(1));
    QWidget *full = view(1)->window();
    EXPECT_NE(full, host.peer());
    EXPECT_TRUE(full->isFullScreen());
    EXPECT_EQ(view(1)->geometry(), full->rect());
    QApplication::setActiveWindow(full);
    tabs.WB(1).SetFocus();
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(1).containsFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_TRUE(titled(1, QStringLiteral("out")));
    expectAsBefore();
    EXPECT_FALSE(full->isVisible());

    // In again, and the page leaves by itself.
    ASSERT_TRUE(clickUntilTitled(tabs, 1, QPoint(150, 100), QStringLiteral("in")));
    tabs.WB(1)->Navigate(QStringLiteral("javascript:document.exitFullscreen()"));
    ASSERT_TRUE(titled(1, QStringLiteral("out")));
    expectAsBefore();

    // Asked for after its tab was left: refused, and the page hears so.
    ASSERT_TRUE(clickUntilTitled(tabs, 1, QPoint(150, 300), QStringLiteral("waiting")));
    tabs.MTab(0).events.MouseDown(tk::kLeftButton, 0, 0, 0);
    ASSERT_TRUE(waitUntil([&] {
        const QString t = tabs.WB(1)->LocationName();
        return t == QStringLiteral("out") || t == QStringLiteral("denied") || t == QStringLiteral("granted");
    }));
    EXPECT_EQ(tabs.fullScreenTab(), std::nullopt);
    EXPECT_EQ(view(1)->window(), host.peer());
    EXPECT_EQ(host.peer()->geometry(), frame);
    EXPECT_EQ(tabs.CurrentTab, 0);
    EXPECT_FALSE(full->isVisible());
}

TEST_F(ShellOnEngine, AClosedTabsPageGivesItsRendererBackAndTheReusedTabLoadsAtOnce)
{
    const QString first = writePage(QStringLiteral("kept.html"), QStringLiteral("<title>Kept</title>"));
    const QString again = writePage(QStringLiteral("reused.html"), QStringLiteral("<title>Reused</title>"));
    ASSERT_EQ(tabs.NewWindow(first), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, QStringLiteral("Kept")));
    auto &browser = static_cast<tk::QtWebBrowser &>(tabs.WB(1).browser());
    ASSERT_GT(tk::QtWebBrowserTestAccess::page(browser)->renderProcessPid(), 0);
    tabs.Tcbt(1).events.MouseDown(tk::kLeftButton, 0, 10, 10);
    tabs.Tcbt(1).events.MouseUp(tk::kLeftButton, 0, 10, 10);
    ASSERT_EQ(tabs.List2.items(), QStringList{QStringLiteral("1")});
    ASSERT_TRUE(waitUntil([&] { return tk::QtWebBrowserTestAccess::page(browser) == nullptr; }));
    EXPECT_EQ(tabs.WB(1)->LocationURL(), QStringLiteral("about:blank"));

    ASSERT_EQ(tabs.NewWindow(again), std::optional<int16_t>(1));
    EXPECT_TRUE(tabs.WB(1)->Busy());
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(1).Tag() == QStringLiteral("Reused"); }));
    EXPECT_EQ(tabs.WB(1)->LocationURL(), again);
    EXPECT_GT(tk::QtWebBrowserTestAccess::page(browser)->renderProcessPid(), 0);
}

TEST_F(ShellOnEngine, TheBrowsersKeysWorkWhileTheKeyboardIsInThePage)
{
    const auto page = [](const char *name, const char *title) {
        return writePage(QLatin1String(name), QStringLiteral("<title>%1</title><body>%1</body>").arg(QLatin1String(title)));
    };
    const QString a = page("ka.html", "Page A"), b = page("kb.html", "Page B"), c = page("kc.html", "Page C");
    int loads = 0;
    tabs.events.DownloadBegin = [&](int16_t &, QVariant &) { ++loads; };
    QApplication::setActiveWindow(host.peer());
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        tabs.WB(tabs.CurrentTab).SetFocus();
        ASSERT_TRUE(waitUntil([&] { return tabs.WB(tabs.CurrentTab).containsFocus(); }));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    };
    tabs.WB(0)->Navigate(a);
    ASSERT_TRUE(titled(0, QStringLiteral("Page A")));
    tabs.WB(0)->Navigate(b);
    ASSERT_TRUE(titled(0, QStringLiteral("Page B")));
    ASSERT_EQ(tabs.NewWindow(c), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, QStringLiteral("Page C")));

    press(Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_TRUE(waitUntil([&] { return qFuzzyCompare(tabs.WB(1)->zoomFactor(), 1.1); }));
    EXPECT_DOUBLE_EQ(tabs.WB(0)->zoomFactor(), 1.0) << "the other tab keeps its zoom";

    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentTab, 0);
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(titled(0, QStringLiteral("Page A")));
    // Keys without Ctrl or Alt go to the page first and come back to the
    // window when it leaves them alone; the renderer may take the focus a
    // moment after the widget, so press again until the page reloads.
    const int before = loads;
    bool reloaded = false;
    for (int n = 0; n < 50 && !reloaded; ++n) {
        press(Qt::Key_F5);
        reloaded = waitFor([&] { return loads > before; }, 200);
    }
    EXPECT_TRUE(reloaded);
    EXPECT_TRUE(waitUntil([&] { return !tabs.WB(0)->Busy(); }));
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(open(), QStringList{QStringLiteral("1")}) << "tab 0 stays";

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

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] {
        tk::setUpFonts();
        tk::registerQtWebBrowserFactory();
        return true;
    });
}

// A script address starts no navigation, so nothing but the tab's making can
// have silenced its page.
TEST_F(ShellOnEngine, AScriptAddressInANewTabShowsNoDialog)
{
    const std::optional<int16_t> n = tabs.NewWindow(QStringLiteral("javascript:alert(1)"));
    ASSERT_TRUE(n.has_value());
    const auto &browser = static_cast<const tk::QtWebBrowser &>(tabs.WB(*n).browser());
    EXPECT_TRUE(waitUntil([&] { return tk::QtWebBrowserTestAccess::suppressedDialogs(browser) == 1; }));
}
