// The tabbed control on the real engine: windows a page opens (only for the
// user's click), a page's full-screen request, the keys while the page has
// the keyboard, and a script address in a new tab.

#include "QtWebBrowserTestAccess.h"
#include "ShellOnEngine.h"

namespace {

class Shell : public ShellOnEngine {
protected:
    QWidget *view(int16_t i) { return c().WB(i).peer(); }
    void select(int16_t i) { c().MTab(i).events.MouseDown(tk::kLeftButton, 0, 0, 0); }
    // Clicks the page until its title says the click was taken.
    bool clickUntilTitled(int16_t i, QPoint at, const QString &title)
    {
        for (int click = 0; click < 20; ++click) {
            clickPage(view(i), at);
            if (waitFor([&] { return c().WB(i)->LocationName() == title; }, 1000))
                return true;
        }
        return false;
    }
    // Gives the selected page the keyboard and presses a key there.
    void press(QKeyCombination key)
    {
        c().WB(tabs.CurrentTab).SetFocus();
        ASSERT_TRUE(waitUntil([&] { return c().WB(tabs.CurrentTab).containsFocus(); }));
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }
};

// A link with a new-window target, clicked or middle-clicked, and a button
// whose click handler opens one; a window opened as the page loads gets none.
TEST_F(Shell, OnlyTheUsersClicksOpenWindowsEachInANewSelectedTabThatLoadsIt)
{
    for (const char *name : {"script", "target", "handler"})
        titledPage(QStringLiteral("%1.html").arg(name), QStringLiteral("%1 page").arg(name));
    const QString links = readyPage("links.html", "Links",
                                    "<script>window.open('script.html', '_blank');</script>" +
                                        block("a", "href='target.html' target='_blank'") +
                                        block("button", "onclick=\"window.open('handler.html')\""));
    ASSERT_EQ(tabs.NewWindow(links), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, "Links ready"));
    const std::tuple<QPoint, Qt::MouseButton, const char *> clicks[] = {
        {{150, 50}, Qt::LeftButton, "target page"},
        {{150, 150}, Qt::LeftButton, "handler page"},
        {{150, 50}, Qt::MiddleButton, "target page"}};
    for (const auto &[at, button, title] : clicks) {
        SCOPED_TRACE(title);
        select(1);
        ASSERT_TRUE(waitUntil([&] { return view(1)->isVisible(); }));
        const auto n = int16_t(open().size() + 1);
        clickPage(view(1), at, button);
        ASSERT_TRUE(waitUntil([&] { return open().size() == n; }));
        ASSERT_TRUE(titled(n, title));
        EXPECT_EQ(std::tuple(tabs.CurrentTab, view(n)->isVisible()), std::tuple(n, true));
    }
    EXPECT_EQ(open(), (QStringList{"1", "2", "3", "4"})) << "the page's own window.open opened a tab";
}

// The page asks to fill the screen and the shell lets it; Escape puts it back
// and the page hears so. Asked for after its tab was left, it is refused, and
// the page hears that too.
TEST_F(Shell, APagesFullScreenRequestReachesTheShellAndEscapeRestoresTheWindowAndTellsThePage)
{
    const QString page = readyPage(
        "full.html", "Full",
        block("button", "onclick='document.documentElement.requestFullscreen()'", 200) +
            block("button", "onclick='later()'", 200) +
            "<script>const title = t => () => document.title = t;"
            " document.onfullscreenchange = () => title(document.fullscreenElement ? 'in' : 'out')();"
            " function later() { title('waiting')(); setTimeout(() => document.documentElement"
            " .requestFullscreen().then(title('granted'), title('denied')), 1000); }</script>");
    ASSERT_EQ(tabs.NewWindow(page), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, "Full ready"));
    const QRect frame = host.peer()->geometry(), inTab = view(1)->geometry();
    ASSERT_TRUE(clickUntilTitled(1, QPoint(150, 100), "in"));
    EXPECT_EQ(tabs.fullScreenTab(), std::optional<int16_t>(1));
    QWidget *full = view(1)->window();
    EXPECT_TRUE(full != host.peer() && full->isFullScreen());
    QApplication::setActiveWindow(full);
    press(Qt::Key_Escape);
    ASSERT_TRUE(titled(1, "out"));
    EXPECT_EQ(std::tuple(tabs.fullScreenTab(), view(1)->parentWidget(), view(1)->geometry(),
                         host.peer()->geometry(), full->isVisible()),
              std::tuple(std::nullopt, c().WBCnt(1).clientWidget(), inTab, frame, false));

    ASSERT_TRUE(clickUntilTitled(1, QPoint(150, 300), "waiting"));
    select(0);
    ASSERT_TRUE(waitUntil([&] {
        return QStringList{"out", "denied", "granted"}.contains(c().WB(1)->LocationName());
    }));
    EXPECT_EQ(std::tuple(tabs.fullScreenTab(), view(1)->window()), std::tuple(std::nullopt, host.peer()));
}

// Each key pressed while the selected page has the keyboard, until its work
// is done: keys without Ctrl or Alt go to the page first and come back to the
// window when it leaves them alone, and the renderer may take the focus a
// moment after the widget.
TEST_F(Shell, TheBrowsersAndTheFormsKeysWorkWhileTheKeyboardIsInThePageAndOtherKeysStayThePages)
{
    int fired = 0, loads = 0, before = 0;
    host.bindShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), [&] { ++fired; });
    tabs.events.DownloadBegin = [&](int16_t &, QVariant &) { ++loads; };
    QApplication::setActiveWindow(host.peer());
    c().WB(0)->Navigate(titledPage("ka.html", "Page A"));
    ASSERT_TRUE(titled(0, "Page A"));
    c().WB(0)->Navigate(writePage("keys.html", "<title>Keys</title><input autofocus"
                                               " onkeydown='document.title = \"key \" + event.key'>"));
    ASSERT_TRUE(titled(0, "Keys"));
    ASSERT_EQ(tabs.NewWindow(titledPage("kc.html", "Page C")), std::optional<int16_t>(1));
    ASSERT_TRUE(titled(1, "Page C"));
    LoopbackServer silent; // never answers: the page loads until stopped
    ASSERT_EQ(tabs.NewWindow(silent.url("")), std::optional<int16_t>(2));
    ASSERT_TRUE(waitUntil([&] { return silent.connections > 0 && c().WB(2)->Busy(); }));
    const auto tab = [&](int16_t i, const char *title) {
        return tabs.CurrentTab == i && c().WB(i)->LocationName() == title;
    };
    const std::pair<QKeyCombination, std::function<bool()>> rows[] = {
        {Qt::Key_Escape, [&] { return !c().WB(2)->Busy(); }},
        {Qt::CTRL | Qt::Key_F4, [&] { return open() == QStringList{"1"} && tab(1, "Page C"); }},
        {Qt::CTRL | Qt::Key_Tab, [&] { return tab(0, "Keys"); }},
        {Qt::CTRL | Qt::Key_L, [&] { return fired == 1; }}, // the form's own
        {Qt::Key_Q, [&] { return tab(0, "key q") && fired == 1; }},
        {Qt::Key_F5, [&] { return loads > before && tab(0, "Keys"); }},
        {Qt::ALT | Qt::Key_Left, [&] { return tab(0, "Page A"); }},
    };
    for (const auto &[key, done] : rows) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        before = loads;
        bool worked = false;
        for (int n = 0; n < 50 && !worked; ++n) {
            press(key);
            worked = waitFor(done, 200);
        }
        EXPECT_TRUE(worked);
    }
}

// A script address starts no navigation, so nothing but the tab's making can have silenced its page.
TEST_F(Shell, AScriptAddressInANewTabShowsNoDialog)
{
    const std::optional<int16_t> n = tabs.NewWindow("javascript:alert(1)");
    ASSERT_TRUE(n.has_value());
    EXPECT_TRUE(waitUntil([&] {
        return tk::QtWebBrowserTestAccess::suppressedDialogs(
                   static_cast<tk::QtWebBrowser &>(c().WB(*n).browser())) == 1;
    }));
}

} // namespace
