// What the tray icon says when a download ends, what a click on it opens,
// and Exit cancelling the downloads still running.
#include "DesktopOpener.h"
#include "ModulePublicVariables.h"
#include "ShellFixture.h"
#include "browser/Downloads.h"
#include "browser/WebBrowser.h"
#include "win32/Win32.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tk;

namespace {

class DownloadMessage : public ShellFixture {
protected:
    void TearDown() override
    {
        setDownloadCanceller(nullptr);
        ShellFixture::TearDown();
    }
    // As the engine's profile raises them.
    static void finished(const QString &name, const QString &folder)
    {
        raiseDroppingErrors(downloadEvents().DownloadFinished, name, folder);
    }
    static void failed(const QString &name, const QString &folder)
    {
        raiseDroppingErrors(downloadEvents().DownloadFailed, name, folder);
    }
    static std::string said()
    {
        QStringList all;
        for (const NotificationArea::Message &m : NotificationArea::messages())
            all << m.title + ": " + m.text;
        return all.join(" | ").toStdString();
    }
    QTemporaryDir folder;
};

TEST_F(DownloadMessage, TheIconNamesTheFileAndItsClickOpensTheFolder)
{
    ASSERT_TRUE(folder.isValid());
    DesktopOpener desktop;
    (void)*forms::Form1;
    finished(QStringLiteral("report (1).txt"), folder.path());
    failed(QStringLiteral("cut.zip"), folder.path());
    EXPECT_EQ(said(), "下载完成: report (1).txt | 下载失败: cut.zip");
    for (const NotificationArea::Message &m : NotificationArea::messages())
        EXPECT_EQ(std::pair(m.hWnd, m.uID), std::pair(TrayIconData.hWnd, TrayIconData.uID));
    EXPECT_TRUE(desktop.opened.isEmpty());

    NotificationArea::clickMessage(TrayIconData.hWnd, TrayIconData.uID);
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(folder.path())});
}

TEST_F(DownloadMessage, NothingIsShownWithoutANotificationAreaNorAfterExit)
{
    NotificationArea::simulate(false);
    (void)*forms::Form1;
    ASSERT_FALSE(TrayIconAdded);
    finished(QStringLiteral("report.txt"), folder.path());
    EXPECT_EQ(said(), "");
    forms::unloadAll();

    NotificationArea::simulate(true);
    (void)*forms::Form1;
    forms::unloadAll();
    finished(QStringLiteral("late.txt"), folder.path());
    EXPECT_EQ(said(), "") << "the icon is gone";
}

TEST_F(DownloadMessage, ExitCancelsTheRunningDownloadsWhileTheEngineIsStillUp)
{
    bool formsLoadedAtCancel = false;
    int cancels = 0;
    setDownloadCanceller([&] {
        ++cancels;
        formsLoadedAtCancel = forms::Form1.isLoaded();
    });
    (void)*forms::Form1;
    Form::setPopupHook([](QMenu &menu) {
        if (QAction *a = menu.findChild<QAction *>(QStringLiteral("m_Exit")))
            a->trigger();
    });
    NotificationArea::activate(TrayIconData.hWnd, 0, WM_RBUTTONDOWN);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(formsLoadedAtCancel) << "cancelled before the tabs and their pages went";
    EXPECT_FALSE(forms::Form1.isLoaded());
}

} // namespace
