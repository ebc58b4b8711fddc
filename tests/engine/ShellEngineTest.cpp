// The tabbed control on the real engine: the start page's title in tab 0's
// caption, a page that opens a window getting a new tab with the page loaded
// there, and a page that closes itself closing its tab.

#include "EngineSupport.h"
#include "toolkit/Fonts.h"
#include "toolkit/Form.h"
#include "browser/webengine/QtWebBrowser.h"
#include "WBControl.h"

namespace {

class ShellOnEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.Move(0, 0, 12000, 8000);
        tabs.Move(0, 0, 12000, 8000);
        host.Show();
    }

    tk::Form host;
    WBControl tabs{&host};
};

TEST_F(ShellOnEngine, TheStartPagesTitleBecomesTabZerosCaption)
{
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(0).Tag() == QStringLiteral("Tavrin"); }));
    EXPECT_EQ(tabs.Tstr(0).Caption(), QStringLiteral("Tavrin"));
    EXPECT_TRUE(tabs.WB(0)->LocationURL().endsWith(QStringLiteral("/start.html")));
}

TEST_F(ShellOnEngine, APageOpeningAWindowGetsANewTabWithThePageInIt)
{
    const QString popup = writePage(QStringLiteral("popup.html"),
                                    QStringLiteral("<title>Popup</title><body>popup</body>"));
    const QString opener = writePage(
        QStringLiteral("opener.html"),
        QStringLiteral("<title>Opener</title><script>window.open('popup.html', '_blank');</script>"));
    ASSERT_EQ(tabs.NewWindow(opener), std::optional<int16_t>(1));
    ASSERT_TRUE(waitUntil([&] { return tabs.List1.ListCount() == 2; }));
    EXPECT_EQ(tabs.List1.items(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(tabs.CurrentTab, 2);
    ASSERT_TRUE(waitUntil([&] { return tabs.MTab(2).Tag() == QStringLiteral("Popup"); }));
    EXPECT_EQ(tabs.WB(2)->LocationURL(), popup);
    EXPECT_TRUE(tabs.WBCnt(2).peer()->isVisible());
    EXPECT_FALSE(tabs.WBCnt(1).peer()->isVisible());
}

TEST_F(ShellOnEngine, APageClosingItselfClosesItsTabAndTheTabIsKeptForReuse)
{
    writePage(QStringLiteral("closes.html"),
              QStringLiteral("<title>Closes</title><script>"
                             "setTimeout(function () { window.close(); }, 50);</script>"));
    const QString opener = writePage(
        QStringLiteral("opens-closer.html"),
        QStringLiteral("<title>Opener</title><script>window.open('closes.html', '_blank');</script>"));
    tabs.NewWindow(opener);
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

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] {
        tk::setUpFonts();
        tk::registerQtWebBrowserFactory();
        return true;
    });
}
