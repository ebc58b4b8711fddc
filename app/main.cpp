// Tavrin starts its start-up form and runs until the last form is unloaded.
#include "toolkit/Fonts.h"
#include "Forms.h"
#include "ModulePublicVariables.h"
#include "browser/Downloads.h"
#include "browser/webengine/QtWebBrowser.h"
#include "toolkit/SingleInstance.h"
#include "win32/Win32.h"

#include <QApplication>

namespace {

// How long a second start waits for the running one to hear it.
constexpr int kNotifyTimeoutMs = 1500;

// Started again while running: the window comes back as a double click on
// the tray icon brings it, then to the front.
void bringBack()
{
    if (!forms::Form1.isLoaded())
        return;
    const int32_t hWnd = forms::Form1->hWnd();
    tk::SendMessageA(hWnd, TrayCallbackMessage, 0, tk::WM_LBUTTONDBLCLK);
    tk::SetForegroundWindow(hWnd);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    // Wayland compositors match the window to the installed desktop entry by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVRIN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);

    // One Tavrin per user: a second start hands over and ends before the
    // engine or its profile is touched.
    tk::SingleInstance instance(QStringLiteral("tavrin"));
    if (!instance.isPrimary()) {
        instance.notifyPrimary(kNotifyTimeoutMs);
        return 0;
    }
    instance.startedAgain = bringBack;

    tk::setUpFonts();
    tk::registerQtWebBrowserFactory();

    tk::FormInstanceBase::setLastFormUnloadedHandler([] { QCoreApplication::quit(); });
    forms::Form1->Show();
    const int rc = QApplication::exec();
    // However the loop ended, no half-written download outlives the engine.
    tk::cancelRunningDownloads();
    // Every page goes before the engine's profile, which the application
    // object owns: unload what is left, destroy the forms, and run the
    // deletions Qt and the engine deferred to a loop that has stopped.
    forms::unloadAll();
    tk::FormInstanceBase::flushUnloaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
