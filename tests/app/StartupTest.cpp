// The shell from its start: the window procedure, the forms and the buttons
// they read from saved data, the tray icon, its menu and its messages.
#include "DesktopOpener.h"
#include "ModuleSubClass.h"
#include "ShellFixture.h"
#include "browser/Downloads.h"

#include <QTemporaryDir>

using namespace tk;
using namespace tavrin;

namespace {

using Shell = ShellFixture;

// The keyboard starts in the page, as in any browser, not on the button.
TEST_F(Shell, TheMainWindowStartsWithTheProcedureReplacedAndTheKeyboardInTheStartPage)
{
    Form1 &f = main();
    EXPECT_EQ(OldWindowProc, AddressOf(&DefWindowProcA));
    EXPECT_EQ(browser(0).navigations, QStringList{WBControl::startPage()});
    EXPECT_TRUE(WBControl::startPage().endsWith(QStringLiteral("/start.html")));
    f.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.peer()));
    EXPECT_TRUE(waitFor([&] { return c().WB(0).containsFocus(); }));
    EXPECT_FALSE(f.CommandOpenURL->containsFocus());
}

// The data beside the program when it reads well, else the built-in copy.
TEST_F(Shell, EachFormsButtonComesFromTheDataBesideTheProgramOrElseTheBuiltInCopy)
{
    const char *kAddress = "1560 75 735 255 打开网址", *kOk = "4080 80 615 255 打开"; // built in
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {nullptr, nullptr, kAddress, kOk},
        {R"({"CommandOpenURL": {"caption": "Go", "_left": 90}})", R"({"CommandOK": {"caption": "Ok"}})",
         "90 0 0 0 Go", "0 0 0 0 Ok"},
        {"", "\x01\xff{{ not json", kAddress, kOk},
        {"{}", R"({"CommandOK": {"_left": "left"}})", kAddress, kOk},
    };
    const auto button = [](const command::Command &b) {
        return geometry(b) + " " + b.Caption().toStdString() + (b.Visible() ? "" : " hidden");
    };
    for (const auto &[form1, openUrl, address, ok] : rows) {
        for (const auto &[name, bytes] : {std::pair("Form1", form1), std::pair("FormOpenUrl", openUrl)}) {
            QFile file(appPath() + QStringLiteral("/%1.buttons.json").arg(QLatin1String(name)));
            file.remove();
            EXPECT_TRUE(!bytes || (file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0));
        }
        EXPECT_EQ(button(*main().CommandOpenURL), address);
        EXPECT_EQ(button(*forms::FormOpenUrl->CommandOK), ok);
        forms::unloadAll();
    }
}

TEST_F(Shell, TheTrayIconHasTheProgramsIconAndTip)
{
    (void)main();
    ASSERT_EQ(NotificationArea::icons().size(), 1u);
    EXPECT_NE(TrayIconData.hIcon, 0) << "b.ico beside the program";
    EXPECT_EQ(NotificationArea::icons()[0].tip, QStringLiteral("Velmora"));
}

TEST_F(Shell, ATrayMessageBeforeTheProcedureIsReplacedReachesOnlyThePreviousOne)
{
    desktop.runPopup = [](QMenu &) {}; // a menu opened by mistake fails the test instead of blocking it
    desktop.iconAdded = [](const NOTIFYICONDATA &d) {
        SendMessageA(d.hWnd, 2025, 0, WM_LBUTTONDBLCLK);
        SendMessageA(d.hWnd, 2025, 0, WM_RBUTTONDOWN);
    };
    EXPECT_EQ(where(main()), "hidden 0 0 13545 9030") << "not centred";
    EXPECT_FALSE(forms::FormMenu.isLoaded()) << "no menu";
}

TEST_F(Shell, ARightPressOpensTheTrayMenuFromTheHiddenMenuForm)
{
    QStringList shown;
    desktop.runPopup = [&](QMenu &menu) {
        for (QAction *a : menu.actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
    };
    trayMessage(WM_RBUTTONDOWN);
    EXPECT_EQ(shown.join(' '), QStringLiteral("关于 - 打开网址 退出"));
    EXPECT_TRUE(forms::FormMenu.isLoaded() && !forms::FormMenu->isShown());
}

// As the engine's profile raises them: the icon names the file and a click
// on its message opens the folder; without the icon nobody is told.
TEST_F(Shell, TheIconTellsOfADownloadsEndAndItsMessageOpensTheFolder)
{
    QTemporaryDir folder;
    DesktopOpener desktop;
    const auto said = [&](const char *name, bool finished) {
        raiseDroppingErrors(finished ? downloadEvents().DownloadFinished : downloadEvents().DownloadFailed,
                            QString::fromUtf8(name), folder.path());
        QStringList all;
        for (const NotificationArea::Message &m : NotificationArea::messages())
            all << (m.hWnd == TrayIconData.hWnd && m.uID == TrayIconData.uID ? "" : "elsewhere ") + m.title +
                       ": " + m.text;
        return all.join(" | ").toStdString();
    };
    (void)main();
    EXPECT_EQ(said("report (1).txt", true), "下载完成: report (1).txt");
    EXPECT_EQ(said("cut.zip", false), "下载完成: report (1).txt | 下载失败: cut.zip");
    EXPECT_TRUE(desktop.opened.isEmpty());
    NotificationArea::clickMessage(TrayIconData.hWnd, TrayIconData.uID);
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(folder.path())});
    forms::unloadAll();
    EXPECT_EQ(said("late.txt", true), "下载完成: report (1).txt | 下载失败: cut.zip");
    NotificationArea::simulate(false);
    (void)main();
    EXPECT_EQ(said("report.txt", true), "") << "without a notification area";
}

} // namespace
