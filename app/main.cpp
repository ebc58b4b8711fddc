// The browser: starts its start-up form and runs until the last form is
// unloaded. The tavrin program starts it when no Tavrin runs yet.
#include "Form1.h"
#include "FormMenu.h"
#include "Forms.h"
#include "Instance.h"
#include "ModulePublicVariables.h"
#include "browser/Downloads.h"
#include "browser/webengine/EngineProfile.h"
#include "browser/webengine/EngineStart.h"
#include "browser/webengine/QtWebBrowser.h"
#include "browser/webengine/SceneGraph.h"
#include "toolkit/EndSignals.h"
#include "toolkit/Fonts.h"
#include "toolkit/SingleInstance.h"
#include "toolkit/StartupTrace.h"
#include "toolkit/TkError.h"
#include "win32/Win32.h"

#include <QApplication>
#include <QLocale>

#include <cstdlib>

namespace tavrin {
namespace {

// The addresses among the program's arguments: whatever is not an option
// (options are Qt's and the engine's).
QStringList addressesIn(const QStringList &arguments)
{
    QStringList addresses;
    for (const QString &a : arguments)
        if (!a.startsWith(QLatin1Char('-')) && !a.trimmed().isEmpty())
            addresses << a;
    return addresses;
}

// Each address opens in a new tab, as the address dialog opens one.
void openInTabs(const QStringList &addresses)
{
    for (const QString &address : addresses)
        forms::Form1->WBControl1.NewWindow(address);
}

// Started again while running: the addresses it was given open in tabs, and
// the window comes back as a double click on the tray icon brings it, then
// to the front.
void startedAgain(const QStringList &arguments)
{
    if (!forms::Form1.isLoaded())
        return;
    tk::ignoreErrors([&] { openInTabs(addressesIn(arguments)); });
    const int32_t hWnd = forms::Form1->hWnd();
    tk::SendMessageA(hWnd, TrayCallbackMessage, 0, tk::WM_LBUTTONDBLCLK);
    tk::SetForegroundWindow(hWnd);
}

// Marks the main window's first paint for the start-up trace.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *window)
    {
        if (window)
            window->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            tk::startupMark("main window painted");
            watched->removeEventFilter(this);
        }
        return false;
    }
};

// A page the user is printing when the program ends is printed first.
constexpr int kPrintingEndsMs = 60000;
// A cookie changed a moment ago is written to disk before the engine goes.
constexpr int kCookiesWrittenMs = 3000;

// Set once main itself has taken everything down, in order.
bool g_tornDown = false;

// A library that ends the process from inside the event loop (Qt calls
// exit(1) when the X server goes away) would leave the forms, and every
// page in them, to static destructors that run after the engine has gone:
// the process ends here instead, with status 1, before any of them runs.
// What the engine last wrote stays as it is on disk.
void endBeforeStaticTeardown()
{
    if (!g_tornDown)
        std::_Exit(1);
}

// A session's end (logout, shutdown, kill, Ctrl+C) ends the program as the
// tray menu's Exit does, once the event loops have unwound: an open popup or
// a nested loop of a dialog is left first.
bool g_endRequested = false;

void endRequested()
{
    g_endRequested = true;
    QCoreApplication::exit(0);
}

} // namespace
} // namespace tavrin

using namespace tavrin;

int main(int argc, char *argv[])
{
    tk::startupMark("browser entered");
    // One Tavrin per user: a later start hands its addresses over and ends
    // before a display, the engine or its profile is touched.
    tk::SingleInstance instance(QString::fromLatin1(tavrin::kInstanceName));
    if (!instance.isPrimary()) {
        QCoreApplication handOver(argc, argv);
        instance.notifyPrimary(tavrin::kHandOverTimeoutMs, QCoreApplication::arguments().mid(1));
        return 0;
    }

    tk::chooseSceneGraph();
    tk::exposePagesToScreenReaders();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    // Wayland compositors match the window to the installed desktop entry by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVRIN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    tk::quietEngineStartReport();
    // Qt's words and the engine's (the page's context menu) follow the
    // desktop's language; the program's own captions stay.
    tk::installQtTranslations(QLocale::system(), &app);
    tk::startupMark("application object made");
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    instance.startedAgain = startedAgain;
    instance.listen();

    std::atexit(endBeforeStaticTeardown);
    tk::onEndSignals(endRequested);

    tk::setUpFonts();
    tk::registerQtWebBrowserFactory();

    tk::FormInstanceBase::setLastFormUnloadedHandler([] { QCoreApplication::quit(); });
    forms::Form1->Show();
    tk::startupMark("main window built and shown");
    tk::ignoreErrors([&] { openInTabs(addressesIn(arguments)); });
    FirstPaint firstPaint(forms::Form1->peer());
    const int rc = QApplication::exec();
    if (g_endRequested && forms::Form1.isLoaded())
        forms::FormMenu->m_Exit_Click();
    // However the loop ended, no half-written download outlives the engine.
    tk::cancelRunningDownloads();
    // Every page goes before the engine's profile, which the application
    // object owns: unload what is left, destroy the forms, and run the
    // deletions Qt and the engine deferred to a loop that has stopped.
    forms::unloadAll();
    tk::FormInstanceBase::flushUnloaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tk::finishPrinting(kPrintingEndsMs);
    tk::EngineProfile::close(kCookiesWrittenMs);
    g_tornDown = true;
    return rc;
}
