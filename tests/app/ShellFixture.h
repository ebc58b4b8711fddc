#pragma once
// The shell on the fake browser with a notification area, its forms on a
// desktop of the test's own: a 1280 × 1024 screen (19200 × 15360 twips), a
// toolkit error stopped at an event's boundary failing the test. Afterwards
// the forms are unloaded and any file a test wrote is removed.

#include "Form1.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "Forms.h"
#include "Geometry.h"
#include "ModulePublicVariables.h"
#include "Wait.h"
#include "browser/fake/FakeBrowser.h"
#include "toolkit/Screen.h"
#include "win32/Win32.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        tk::FakeBrowser::install();
        tk::NotificationArea::simulate(true);
        desktop.screenSize = [] { return QSize(1280, 1024); };
        desktop.errorStopped = [](const tk::TkError &e) { ADD_FAILURE() << "stopped: " << e.what(); };
        tavrin::forms::useDesktop(desktop);
        tk::FormInstanceBase::setLastFormUnloadedHandler([this] { ++programEnds; });
    }
    void TearDown() override
    {
        tavrin::forms::unloadAll();
        tk::FormInstanceBase::flushUnloaded();
        tk::FormInstanceBase::setLastFormUnloadedHandler(nullptr);
        tavrin::forms::useDesktop(tk::DesktopServices::system());
        for (const char *form : {"Form1", "FormOpenUrl"}) // saved data a test put beside the program
            QFile::remove(tk::appPath() + QStringLiteral("/%1.buttons.json").arg(QLatin1String(form)));
    }
    static tavrin::Form1 &main() { return *tavrin::forms::Form1; }
    static WBControl::Parts c() { return main().WBControl1.parts(); }
    // Where a form lies, after "hidden" or "minimised" if it is.
    static std::string where(const tk::Form &f)
    {
        return std::string(f.isShown() ? "" : "hidden ") + (f.peer()->isMinimized() ? "minimised " : "") +
               geometry(f);
    }
    using Fake = tk::FakeBrowser;
    static Fake &browser(int16_t i) { return static_cast<Fake &>(c().WB(i).browser()); }
    // The tray icon's mouse message, as the system sends it to the main window (loaded first).
    static void trayMessage(int32_t mouse) { tk::NotificationArea::activate(main().hWnd(), 0, mouse); }
    // Right-presses the tray icon and chooses the named item of its menu.
    void chooseFromTray(const char *item)
    {
        desktop.runPopup = [item](QMenu &menu) {
            if (QAction *a = menu.findChild<QAction *>(QLatin1String(item)))
                a->trigger();
        };
        trayMessage(tk::WM_RBUTTONDOWN);
    }
    tk::DesktopServices desktop; // the forms'
    int programEnds = 0;         // times the last form went
};
