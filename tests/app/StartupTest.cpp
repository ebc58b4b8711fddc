#include "ModulePublicVariables.h"
#include "ModuleSubClass.h"
#include "ShellFixture.h"
#include "Wait.h"
#include "win32/Win32.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

using namespace tk;

namespace {

class Shell : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        FormInstanceBase::setLastFormUnloadedHandler([this] { ++programEnds; });
    }
    static void trayMessage(int32_t mouse) { NotificationArea::activate(TrayIconData.hWnd, 0, mouse); }
    int programEnds = 0;
};

TEST_F(Shell, TheMainWindowStartsWithTheProcedureReplacedAndTheStartPage)
{
    Form1 &f = *forms::Form1;
    EXPECT_EQ(OldWindowProc, AddressOf(&DefWindowProcA));
    EXPECT_EQ(GetWindowLongA(f.hWnd(), GWL_WNDPROC), AddressOf(&WindowProc));
    EXPECT_TRUE(TrayIconAdded);
    auto &wb0 = static_cast<FakeBrowser &>(f.WBControl1.WB(0).browser());
    EXPECT_EQ(wb0.navigations, QStringList{WBControl::startPage()});
    EXPECT_TRUE(WBControl::startPage().endsWith(QStringLiteral("/start.html")));
}

TEST_F(Shell, TheTrayRecordHasItsExactBytes)
{
    forms::Form1.get();
    ASSERT_EQ(NotificationArea::icons().size(), 1u);
    EXPECT_NE(TrayIconData.hIcon, 0) << "b.ico beside the program";

    // Size, window, id, flags, callback message, icon, then the tip padded with spaces.
    unsigned char expected[88];
    const int32_t head[] = {88, forms::Form1->hWnd(), 0, 7, 2025, TrayIconData.hIcon};
    std::memcpy(expected, head, sizeof head);
    std::memset(expected + 24, ' ', 64);
    std::memcpy(expected + 24, "Velmora", 8); // with its NUL
    EXPECT_EQ(std::memcmp(&NotificationArea::icons()[0].record, expected, 88), 0);
    EXPECT_EQ(NotificationArea::icons()[0].tip, QStringLiteral("Velmora"));
}

TEST_F(Shell, ATrayMessageBeforeTheProcedureIsReplacedReachesOnlyThePreviousOne)
{
    Form::setPopupHook([](QMenu &) {}); // a menu opened by mistake fails the test instead of blocking it
    NotificationArea::setAddHook([](const NOTIFYICONDATA &d) {
        SendMessageA(d.hWnd, 2025, 0, WM_LBUTTONDBLCLK);
        SendMessageA(d.hWnd, 2025, 0, WM_RBUTTONDOWN);
    });
    Form1 &f = *forms::Form1;
    EXPECT_EQ(f.Top(), 0) << "not centred";
    EXPECT_FALSE(f.isShown());
    EXPECT_FALSE(forms::FormMenu.isLoaded()) << "no menu";
}

TEST_F(Shell, ADoubleClickOnTheIconBringsTheWindowBackCentred)
{
    Form1 &f = *forms::Form1;
    f.Show();
    f.Hide();
    trayMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(f.isShown());
    EXPECT_EQ(QPointF(f.Left(), f.Top()), QPointF((19200 - 13545) / 2.0, (15360 - 9030) / 2.0));
    // Screen-wide, the window is 500 twips shorter than the screen.
    f.Move(0, 0, 19200, 14860);
    trayMessage(WM_LBUTTONDBLCLK);
    EXPECT_EQ(QRectF(f.Left(), f.Top(), f.Width(), f.Height()), QRectF(0, 250, 19200, 14860));
}

TEST_F(Shell, ARightPressOpensTheTrayMenuFromTheHiddenMenuForm)
{
    forms::Form1.get();
    QStringList shown;
    Form::setPopupHook([&](QMenu &menu) {
        for (QAction *a : menu.actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
    });
    EXPECT_FALSE(forms::FormMenu.isLoaded());
    trayMessage(WM_RBUTTONDOWN);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("关于"), QStringLiteral("-"), QStringLiteral("打开网址"),
                                  QStringLiteral("退出")}));
    ASSERT_TRUE(forms::FormMenu.isLoaded());
    EXPECT_FALSE(forms::FormMenu->isShown());
    EXPECT_EQ(forms::FormMenu->Caption(), QStringLiteral("FormMenu"));
}

TEST_F(Shell, FormsComeOnFirstReferenceAndGoWhenUnloaded)
{
    forms::FormMenu.Unload(); // not loaded: nothing happens
    FormMenu *first = &forms::FormMenu.get();
    EXPECT_EQ(&forms::FormMenu.get(), first);
    forms::FormMenu.Unload();
    EXPECT_FALSE(forms::FormMenu.isLoaded());
    forms::FormMenu.get();
    EXPECT_TRUE(forms::FormMenu.isLoaded());

    forms::Form1.get();
    EXPECT_EQ(NotificationArea::icons().size(), 1u);
    forms::Form1.Unload();
    EXPECT_TRUE(NotificationArea::icons().empty()) << "the unload removes the icon";
    forms::Form1.get(); // loaded afresh, with a new icon
    EXPECT_EQ(NotificationArea::icons().size(), 1u);
    EXPECT_EQ(forms::Form1->Top(), 0);
}

TEST_F(Shell, ClosedByTheSystemTheProgramEndsWithoutItsIcon)
{
    forms::Form1->Show();
    forms::FormMenu.get();
    forms::Form1->peer()->close();
    ASSERT_TRUE(waitFor([&] { return !forms::Form1.isLoaded(); }));
    EXPECT_FALSE(forms::FormMenu.isLoaded());
    EXPECT_TRUE(NotificationArea::icons().empty());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(Shell, TheKeyboardStartsInTheStartPage)
{
    Form1 &f = *forms::Form1;
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.peer()));
    EXPECT_TRUE(waitFor([&] { return f.WBControl1.WB(0).containsFocus(); }))
        << "focus on "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing");
    EXPECT_FALSE(f.CommandOpenURL->containsFocus());
}

TEST_F(Shell, TheAddressButtonStandsAtItsSavedPlace)
{
    Form1 &f = *forms::Form1;
    ASSERT_TRUE(f.CommandOpenURL);
    const command::Command &b = *f.CommandOpenURL;
    EXPECT_EQ(QRectF(b.Left(), b.Top(), b.Width(), b.Height()), QRectF(1560, 75, 735, 255));
    EXPECT_EQ(b.Caption(), QStringLiteral("打开网址"));
    EXPECT_EQ(b.ButtonType(), 5);
    EXPECT_TRUE(b.Visible());
}

} // namespace
