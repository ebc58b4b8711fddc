// The floor: what any shell on Qt WebEngine pays at the least. One window,
// a tab widget with one engine view per page, the engine's defaults (its
// default profile, no settings touched), nothing else.
//
//   tavrin_floor URL...
//
// Each argument opens a tab. Further pages come while it runs, one URL a line
// on standard input, each in a new tab that is then shown, as a browser shows
// a tab it opens. Ctrl+W closes the tab shown.

#include <QApplication>
#include <QMainWindow>
#include <QShortcut>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QUrl>
#include <QWebEngineView>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // Qt WebEngine asks for shared contexts before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QMainWindow window;
    auto *tabs = new QTabWidget;
    window.setCentralWidget(tabs);
    // The size of Tavrin's main window, so both draw the same area.
    window.resize(903, 602);

    const auto open = [tabs](const QString &address) {
        auto *view = new QWebEngineView;
        view->load(QUrl::fromUserInput(address));
        tabs->setCurrentIndex(tabs->addTab(view, address));
    };
    for (const QString &address : QApplication::arguments().mid(1))
        open(address);

    QObject::connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), &window), &QShortcut::activated, tabs,
                     [tabs] { delete tabs->currentWidget(); });

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            input.setEnabled(false); // end of input: keep running on what is open
            return;
        }
        pending.append(chunk, n);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            if (const QString line = QString::fromUtf8(pending.left(end)).trimmed(); !line.isEmpty())
                open(line);
    });

    window.show();
    return QApplication::exec();
}
