// The address dialog, the tray menu's commands and the way out.
#include "DesktopOpener.h"
#include "Geometry.h"
#include "Keys.h"
#include "ModulePublicVariables.h"
#include "ShellFixture.h"
#include "Wait.h"
#include "win32/Win32.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tk;

namespace {

class Dialog : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        FormInstanceBase::setLastFormUnloadedHandler([this] { ++programEnds; });
    }
    static Form1 &main() { return *forms::Form1; }
    static FakeBrowser &browser(int16_t i)
    {
        return static_cast<FakeBrowser &>(main().WBControl1.WB(i).browser());
    }
    // Right-presses the tray icon and chooses the named item of its menu.
    static void chooseFromTray(const char *item)
    {
        Form::setPopupHook([item](QMenu &menu) {
            if (QAction *a = menu.findChild<QAction *>(QLatin1String(item)))
                a->trigger();
        });
        NotificationArea::activate(TrayIconData.hWnd, 0, WM_RBUTTONDOWN);
    }
    static void clickOpenUrl() { QTest::mouseClick(main().CommandOpenURL->peer(), Qt::LeftButton); }
    static std::string place(const Form &f)
    {
        return QStringLiteral("%1 %2").arg(f.Left()).arg(f.Top()).toStdString();
    }
    // Types into the dialog's box and presses a key there.
    static void typeAndPress(const QString &text, Qt::Key key)
    {
        QTest::keyClicks(forms::FormOpenUrl->Text1.edit(), text);
        QTest::keyClick(forms::FormOpenUrl->Text1.edit(), key);
    }
    int programEnds = 0;
};

TEST_F(Dialog, LooksAsDesignedAndTakesTheKeyboard)
{
    main().Show();
    clickOpenUrl();
    ASSERT_TRUE(forms::FormOpenUrl.isLoaded());
    FormOpenUrl &d = *forms::FormOpenUrl;
    EXPECT_EQ(d.Caption(), QStringLiteral("打开网址"));
    EXPECT_EQ(d.peer()->size(), QSize(319, 27));
    EXPECT_EQ(d.picture().size(), QSize(319, 27));
    EXPECT_EQ(geometry(d.Text1), "80 80 3840 270");
    EXPECT_EQ(d.Text1.Text(), QString());
    EXPECT_EQ(d.Text1.edit()->palette().color(QPalette::Base), QColor(0xDE, 0xEF, 0xFF));
    EXPECT_EQ(QFontInfo(d.Text1.edit()->font()).family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(d.Text1.edit()->font().pointSizeF(), 10.5);
    ASSERT_TRUE(d.CommandOK);
    EXPECT_EQ(geometry(*d.CommandOK), "4080 80 615 255");
    EXPECT_EQ(d.CommandOK->Caption(), QStringLiteral("打开"));
    EXPECT_EQ(d.CommandOK->ButtonType(), 5);
    EXPECT_TRUE(d.isShown());
    EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == d.Text1.edit(); }));
}

TEST_F(Dialog, TheAddressKeysOpenItWhileTheKeyboardIsInThePage)
{
    main().Show();
    main().Move(3000, 1500);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main().peer()));
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_L, Qt::ControlModifier}, {Qt::Key_T, Qt::ControlModifier}, {Qt::Key_F6, Qt::NoModifier}};
    for (const auto &[key, modifiers] : keys) {
        QApplication::setActiveWindow(main().peer());
        QWidget *page = main().WBControl1.WB(0).peer();
        page->setFocusPolicy(Qt::StrongFocus);
        page->setFocus();
        QTest::keyClick(page, key, modifiers);
        ASSERT_TRUE(forms::FormOpenUrl.isLoaded()) << "key " << key;
        EXPECT_EQ(place(*forms::FormOpenUrl), "3000 2300");
        forms::FormOpenUrl.Unload();
        FormInstanceBase::flushUnloaded();
    }
    EXPECT_EQ(main().WBControl1.List1.ListCount(), 0) << "no tab opened by the keys themselves";
}

TEST_F(Dialog, OpensOnce800TwipsBelowTheFormThatOpensIt)
{
    main().Show();
    main().Move(3000, 1500);
    clickOpenUrl();
    FormOpenUrl *first = &*forms::FormOpenUrl;
    EXPECT_EQ(place(*first), "3000 2300");
    main().Move(4500, 600);
    clickOpenUrl();
    EXPECT_EQ(&*forms::FormOpenUrl, first) << "the same dialog, moved";
    EXPECT_EQ(place(*first), "4500 1400");
    EXPECT_EQ(FormInstanceBase::loadedCount(), 2);

    // From the tray, relative to the hidden menu form, which lies centred.
    chooseFromTray("m_OpenURL");
    const FormMenu &menu = *forms::FormMenu;
    EXPECT_EQ(place(menu),
              QStringLiteral("%1 %2").arg((19200 - 1590) / 2.0).arg((15360 - 240) / 2.0).toStdString());
    EXPECT_EQ(place(*first), QStringLiteral("%1 %2").arg(menu.Left()).arg(menu.Top() + 800).toStdString());
    EXPECT_FALSE(menu.isShown());
    EXPECT_TRUE(first->isShown());
}

TEST_F(Dialog, SubmitOpensTheTextInANewTabAndBringsTheMainWindowBack)
{
    // How the main window was, then its Left Top after the submit.
    const struct {
        const char *name;
        std::function<void(Form1 &)> prepare;
        const char *place;
    } cases[] = {
        {"hidden", [](Form1 &f) { f.Hide(); }, "2827.5 3165"},
        {"minimised", [](Form1 &f) { SendMessageA(f.hWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }, "2827.5 3165"},
        {"screen-wide", [](Form1 &f) { f.Move(0, 0, 19200, 14860); }, "0 250"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        forms::unloadAll();
        FormInstanceBase::flushUnloaded();
        main().Show();
        c.prepare(main());
        clickOpenUrl();
        typeAndPress(QStringLiteral("example.test/a b"), Qt::Key_Return);
        EXPECT_FALSE(forms::FormOpenUrl.isLoaded());
        EXPECT_TRUE(main().isShown());
        EXPECT_FALSE(main().peer()->isMinimized());
        EXPECT_EQ(place(main()), c.place);
        EXPECT_EQ(main().WBControl1.List1.items(), QStringList{"1"});
        EXPECT_EQ(main().WBControl1.CurrentTab, 1);
        EXPECT_EQ(browser(1).navigations, QStringList{"example.test/a b"}) << "the text as typed";
    }

    // OK's click does what Enter does; an empty box, control characters and a
    // megabyte are handed on like any text.
    int16_t tab = 2;
    for (const QString &text :
         {QString(), QString::fromUtf16(u"a\u0000b\u0007\u001b", 5), QString(1 << 20, QLatin1Char('h'))}) {
        clickOpenUrl();
        forms::FormOpenUrl->Text1.setText(text);
        forms::FormOpenUrl->CommandOK->events.Click();
        EXPECT_EQ(browser(tab++).navigations, QStringList{text});
        EXPECT_FALSE(forms::FormOpenUrl.isLoaded());
    }
    EXPECT_EQ(main().WBControl1.List1.items(), (QStringList{"1", "2", "3", "4"}));
}

// The Escape that closed one dialog, still held down (its release went to
// the window that had gone), repeats into the next dialog: it stays open.
TEST_F(Dialog, AHeldEscapeClosesOnlyTheDialogItWentDownIn)
{
    main().Show();
    static quint64 now = 1000000;
    const auto escape = [](bool press, bool repeat, quint64 after) {
        now += after;
        sendKey(forms::FormOpenUrl->peer()->windowHandle(), press, Qt::Key_Escape, repeat, now);
    };
    clickOpenUrl();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(forms::FormOpenUrl->peer()->windowHandle()));
    escape(true, false, 0);
    EXPECT_FALSE(forms::FormOpenUrl.isLoaded());
    FormInstanceBase::flushUnloaded();
    clickOpenUrl();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(forms::FormOpenUrl->peer()->windowHandle()));
    escape(true, true, 30);
    escape(false, false, 30); // a repeat's release and press, unmarked
    escape(true, false, 0);
    EXPECT_TRUE(forms::FormOpenUrl.isLoaded());
    escape(false, false, 30);
    escape(true, false, 200);
    EXPECT_FALSE(forms::FormOpenUrl.isLoaded()) << "a new press closes it";
}

// Escape closes it without a tab, Enter opens one; either way the keyboard
// goes to the main window's selected page (no window manager hands it back).
TEST_F(Dialog, OnceItGoesTheKeyboardIsInTheMainWindowsSelectedPage)
{
    main().Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main().peer()));
    WBControl &tabs = main().WBControl1;
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        clickOpenUrl();
        EXPECT_EQ(forms::FormOpenUrl->Text1.Text(), QString()) << "loaded afresh";
        QApplication::setActiveWindow(forms::FormOpenUrl->peer());
        typeAndPress(QStringLiteral("typed"), key);
        EXPECT_FALSE(forms::FormOpenUrl.isLoaded());
        EXPECT_EQ(tabs.List1.ListCount(), key == Qt::Key_Return ? 1 : 0) << "no tab on Escape";
        FormInstanceBase::flushUnloaded();
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == main().peer(); })) << key;
        EXPECT_TRUE(waitFor([&] { return tabs.WBCnt(tabs.CurrentTab).containsFocus(); })) << key;
    }
    EXPECT_EQ(tabs.CurrentTab, 1);
}

// Whatever brings the main window back brings it back from under a page
// that fills the screen.
TEST_F(Dialog, TheTrayLeavesFullScreenFirst)
{
    main().Show();
    WBControl &tabs = main().WBControl1;
    for (int way = 0; way < 2; ++way) {
        ASSERT_TRUE(browser(0).fireFullScreenRequested(true));
        ASSERT_TRUE(tabs.fullScreenTab().has_value());
        if (way == 0)
            NotificationArea::activate(TrayIconData.hWnd, 0, WM_LBUTTONDBLCLK);
        else
            chooseFromTray("m_OpenURL");
        EXPECT_FALSE(tabs.fullScreenTab().has_value()) << way;
        EXPECT_EQ(browser(0).fullScreenExits, way + 1);
    }
}

TEST_F(Dialog, AboutOpensTheShippedPageOnTheDesktopNotInATab)
{
    DesktopOpener desktop;
    main();
    chooseFromTray("m_About");
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(appPath() + QStringLiteral("/about.html"))});
    EXPECT_EQ(main().WBControl1.List1.ListCount(), 0);
}

TEST_F(Dialog, ExitUnloadsEveryFormAndRemovesTheIcon)
{
    const struct {
        const char *name;
        std::function<void()> prepare;
    } cases[] = {
        {"dialog never opened", [] { main().Show(); }},
        {"window hidden, dialog open",
         [] {
             main().Show();
             clickOpenUrl();
             main().Hide();
         }},
        {"forty tabs",
         [] {
             main().Show();
             for (int k = 0; k < 40; ++k)
                 main().WBControl1.NewWindow(QStringLiteral("http://example.test/%1").arg(k));
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        programEnds = 0;
        c.prepare();
        ASSERT_EQ(NotificationArea::icons().size(), 1u);
        std::vector<QPointer<QWidget>> pages;
        for (const QString &i : QStringList{"0"} + main().WBControl1.List1.items())
            pages.emplace_back(main().WBControl1.WB(int16_t(i.toInt())).peer());
        chooseFromTray("m_Exit");
        EXPECT_EQ(FormInstanceBase::loadedCount(), 0);
        EXPECT_FALSE(forms::Form1.isLoaded());
        EXPECT_FALSE(forms::FormMenu.isLoaded());
        EXPECT_FALSE(forms::FormOpenUrl.isLoaded());
        EXPECT_TRUE(NotificationArea::icons().empty());
        EXPECT_EQ(programEnds, 1);
        FormInstanceBase::flushUnloaded();
        EXPECT_TRUE(std::all_of(pages.begin(), pages.end(), [](const QPointer<QWidget> &p) {
            return p.isNull();
        })) << "every tab's browser destroyed";
    }
}

} // namespace
