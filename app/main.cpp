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
    forms::Form1.Unload();
    forms::FormMenu.Unload();
    tk::FormInstanceBase::flushUnloaded();
    return rc;
}
