// The address dialog, the tray menu's commands and the way out.
#include "DesktopOpener.h"
#include "FormFind.h"
#include "ShellFixture.h"
#include "browser/Downloads.h"

#include <QLineEdit>

using namespace tk;

namespace {

// The main window shown, the dialog not yet opened.
class Dialog : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        main().Show();
    }
    static FormOpenUrl &dialog() { return *forms::FormOpenUrl; }
    static void clickOpenUrl() { QTest::mouseClick(main().CommandOpenURL->peer(), Qt::LeftButton); }
};

// It opens once, 800 twips below the form that opens it (from the tray the
// hidden menu form, which lies centred), as designed, the keyboard in its box.
TEST_F(Dialog, OpensOnceBelowTheFormThatOpensItAsDesignedWithTheKeyboard)
{
    main().Move(3000, 1500);
    clickOpenUrl();
    FormOpenUrl &d = dialog();
    EXPECT_EQ(d.Caption().toStdString() + " " + where(d), "打开网址 3000 2300 4785 405");
    EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == d.Text1.edit(); }));
    main().Move(4500, 600);
    clickOpenUrl(); // the same dialog, moved
    EXPECT_EQ(std::tuple(&dialog(), where(d), FormInstanceBase::loadedCount()),
              std::tuple(&d, "4500 1400 4785 405", 2));
    chooseFromTray("m_OpenURL");
    EXPECT_EQ(where(*forms::FormMenu) + " | " + where(d), "hidden 8805 7560 1590 240 | 8805 8360 4785 405");
}

// The main window's keys (a form's keys reach it from a page too).
TEST_F(Dialog, TheAddressKeysOpenItAndNothingElse)
{
    for (const char *keys : {"Ctrl+L", "Ctrl+T", "F6"}) {
        QApplication::setActiveWindow(main().peer());
        QTest::keySequence(main().WBControl1.peer(), QKeySequence(QLatin1String(keys)));
        ASSERT_TRUE(forms::FormOpenUrl.isLoaded()) << keys;
        forms::FormOpenUrl.Unload();
        FormInstanceBase::flushUnloaded();
    }
    EXPECT_EQ(main().WBControl1.List1.ListCount(), 0);
}

// Enter, or a click on OK, hands the text on as it is, odd or long, to a
// new tab, and brings the main window back centred, whatever became of it.
TEST_F(Dialog, SubmitOpensTheTextInANewTabAndBringsTheMainWindowBack)
{
    const char *kCentred = "2827.5 3165 13545 9030";
    const std::tuple<std::function<void(Form1 &)>, QString, bool, const char *> rows[] = {
        {[](Form1 &f) { f.Hide(); }, QStringLiteral(" example.test/a b "), false, kCentred},
        {[](Form1 &f) { f.peer()->showMinimized(); }, QString(), true, kCentred},
        {[](Form1 &f) { f.Move(0, 0, 19200, 14860); }, QString::fromUtf16(u"a\0b\a\x1b", 5), true,
         "0 250 19200 14860"},
        {[](Form1 &) {}, QString(1 << 20, u'h'), false, kCentred}};
    for (const auto &[prepare, text, ok, at] : rows) {
        SCOPED_TRACE(at);
        forms::unloadAll();
        main().Show();
        prepare(main());
        clickOpenUrl();
        dialog().Text1.setText(text);
        ok ? dialog().CommandOK->events.Click() : QTest::keyClick(dialog().Text1.edit(), Qt::Key_Return);
        EXPECT_EQ(std::tuple(forms::FormOpenUrl.isLoaded(), where(main()), main().WBControl1.List1.items(),
                             main().WBControl1.CurrentTab, browser(1).navigations),
                  std::tuple(false, at, QStringList{"1"}, 1, QStringList{text}));
    }
}

// Escape closes it without a tab, Enter opens one; either way the keyboard
// goes to the main window's selected page (no window manager hands it back).
TEST_F(Dialog, OnceItGoesTheKeyboardIsInTheMainWindowsSelectedPage)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main().peer()));
    WBControl &tabs = main().WBControl1;
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        clickOpenUrl();
        EXPECT_EQ(dialog().Text1.Text(), QString()) << "loaded afresh";
        QApplication::setActiveWindow(dialog().peer());
        QTest::keyClicks(dialog().Text1.edit(), QStringLiteral("typed"));
        QTest::keyClick(dialog().Text1.edit(), key);
        EXPECT_EQ(std::tuple(forms::FormOpenUrl.isLoaded(), tabs.List1.ListCount()),
                  std::tuple(false, key == Qt::Key_Return ? 1 : 0));
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
    for (int way = 0; way < 2; ++way) {
        ASSERT_TRUE(browser(0).fireFullScreenRequested(true) && main().WBControl1.fullScreenTab());
        way == 0 ? trayMessage(WM_LBUTTONDBLCLK) : chooseFromTray("m_OpenURL");
        EXPECT_EQ(std::tuple(main().WBControl1.fullScreenTab(), browser(0).fullScreenExits),
                  std::tuple(std::optional<int16_t>(), way + 1));
    }
}

// Ctrl+F opens the find form over the page's top right; it finds in the
// selected page as it is typed and shows the count; Escape, or another tab
// selected, or the window closed to the tray, closes it and clears the marks.
TEST_F(Dialog, TheFindFormFindsAsTypedStepsBothWaysAndGoesWithEscapeAnotherTabOrTheWindow)
{
    WBControl &tabs = main().WBControl1;
    tabs.NewWindow(QStringLiteral("x"));
    browser(1).findAnswer = {2, 7};
    for (const char *way : {"Escape", "another tab", "the window closed"}) {
        if (tabs.CurrentTab != 1)
            tabs.selectAdjacentTab(1);
        QApplication::setActiveWindow(main().peer());
        QTest::keySequence(tabs.peer(), QKeySequence(QStringLiteral("Ctrl+F")));
        ASSERT_TRUE(forms::FormFind.isLoaded());
        FormFind &f = *forms::FormFind;
        EXPECT_EQ(f.Caption() + QString::fromStdString(where(f)), QStringLiteral("查找8160 900 4785 405"));
        QApplication::setActiveWindow(f.peer());
        browser(1).calls.clear();
        QTest::keyClicks(f.Text1.edit(), QStringLiteral("ab"));
        QTest::keyClick(f.Text1.edit(), Qt::Key_Return);
        QTest::keyClick(f.Text1.edit(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(f.Text1.edit(), Qt::Key_F3);
        f.CommandNext->events.Click();
        EXPECT_EQ(browser(1).calls.join(','), "Find a,Find ab,Find ab,Find ab backward,Find ab,Find ab");
        EXPECT_EQ(f.LabelCount.Caption(), QStringLiteral("2/7"));
        if (way[0] == 'E')
            QTest::keyClick(f.Text1.edit(), Qt::Key_Escape);
        else if (way[0] == 'a')
            tabs.selectAdjacentTab(1);
        else
            main().ImageExit_MouseDown(0, 1, 0, 0, 0), main().ImageExit_MouseUp(0, 1, 0, 0, 0);
        EXPECT_EQ(browser(1).calls.last() + (forms::FormFind.isLoaded() ? " and still open" : ""),
                  "Find clear")
            << way;
        FormInstanceBase::flushUnloaded();
    }
}

TEST_F(Dialog, AboutOpensTheShippedPageOnTheDesktopNotInATab)
{
    DesktopOpener desktop;
    chooseFromTray("m_About");
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(appPath() + QStringLiteral("/about.html"))});
    EXPECT_EQ(main().WBControl1.List1.ListCount(), 0);
}

// The close button's and the tray menu's commands have keys too, reaching
// the main window from its page as well.
TEST_F(Dialog, TheCloseButtonAboutAndExitHaveKeys)
{
    DesktopOpener desktop;
    const std::pair<const char *, std::function<bool()>> rows[] = {
        {"F1", [&] { return desktop.opened.size() == 1; }},
        {"Ctrl+Shift+W", [] { return forms::Form1.isLoaded() && !main().isShown(); }},
        {"Ctrl+Q", [] { return FormInstanceBase::loadedCount() == 0; }},
    };
    for (const auto &[keys, done] : rows) {
        main().Show();
        QApplication::setActiveWindow(main().peer());
        QTest::keySequence(main().WBControl1.peer(), QKeySequence(QLatin1String(keys)));
        EXPECT_TRUE(waitFor(done)) << keys;
    }
}

// Exit cancels the downloads still running first, while the engine is up;
// closed by the system the program ends all the same.
TEST_F(Dialog, ExitOrTheSystemsCloseUnloadsEveryFormRemovesTheIconAndEndsTheProgram)
{
    QList<bool> loadedAtCancel;
    setDownloadCanceller([&] { loadedAtCancel << forms::Form1.isLoaded(); });
    for (bool bySystem : {false, true}) {
        programEnds = 0;
        main().Show();
        clickOpenUrl();
        forms::FormMenu.get();
        std::vector<QPointer<QWidget>> pages{main().WBControl1.WB(0).peer()};
        for (int k = 0; k < 40; ++k)
            pages.emplace_back(
                main().WBControl1.WB(*main().WBControl1.NewWindow(QStringLiteral("x%1").arg(k))).peer());
        bySystem ? void(main().peer()->close()) : (main().Hide(), chooseFromTray("m_Exit"));
        ASSERT_TRUE(waitFor([] { return FormInstanceBase::loadedCount() == 0; })) << bySystem;
        EXPECT_EQ(std::tuple(NotificationArea::icons().size(), programEnds), std::tuple(0u, 1));
        FormInstanceBase::flushUnloaded();
        EXPECT_TRUE(std::all_of(pages.begin(), pages.end(), [](auto &p) { return p.isNull(); }));
    }
    setDownloadCanceller(nullptr);
    EXPECT_FALSE(loadedAtCancel.isEmpty() || loadedAtCancel.contains(false));
}

} // namespace
