// Tavrin starts its start-up form and runs until the last form is unloaded.
#include "toolkit/Fonts.h"
#include "Forms.h"
#include "browser/webengine/QtWebBrowser.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    QApplication::setQuitOnLastWindowClosed(false);
    tk::setUpFonts();
    tk::registerQtWebBrowserFactory();

    tk::FormInstanceBase::setLastFormUnloadedHandler([] { QCoreApplication::quit(); });
    forms::Form1->Show();
    const int rc = QApplication::exec();
    // Every page goes before the engine's profile, which the application
    // object owns: unload what is left, destroy the forms, and run the
    // deletions Qt and the engine deferred to a loop that has stopped.
    forms::unloadAll();
    tk::FormInstanceBase::flushUnloaded();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
