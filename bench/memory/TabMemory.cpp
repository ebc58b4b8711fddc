// Memory of the whole process tree (this process and every engine helper
// under it), as PSS from /proc/<pid>/smaps_rollup: with tab 0 alone, with 20
// local pages open in tabs, and after closing those 20. Runs the tabbed
// control on the real engine, offscreen unless QT_QPA_PLATFORM says otherwise.
//
//   build/bench/tab_memory [pages]

#include "QtWebBrowserTestAccess.h"
#include "WBControl.h"
#include "Wait.h"
#include "browser/webengine/QtWebBrowser.h"
#include "browser/webengine/SceneGraph.h"
#include "toolkit/Fonts.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <vector>

namespace {

// Every process whose parent chain reaches root, root included.
std::vector<pid_t> processTree(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(entry.toInt(&number));
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children.emplace(pid_t(fields[1].toInt()), pid);
    }
    std::vector<pid_t> tree{root};
    for (size_t k = 0; k < tree.size(); ++k) {
        const auto [first, last] = children.equal_range(tree[k]);
        for (auto it = first; it != last; ++it)
            tree.push_back(it->second);
    }
    return tree;
}

struct Sample {
    double pssMiB = 0;
    double privateMiB = 0; // less moved by other processes mapping the same libraries
    int processes = 0;
};

Sample measure()
{
    Sample s;
    for (pid_t pid : processTree(::getpid())) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        ++s.processes;
        for (const QByteArray &line : rollup.readAll().split('\n'))
            if (line.startsWith("Pss:"))
                s.pssMiB += line.mid(4).trimmed().split(' ').value(0).toDouble() / 1024.0;
            else if (line.startsWith("Private_Clean:") || line.startsWith("Private_Dirty:"))
                s.privateMiB +=
                    line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return s;
}

// Memory comes back some time after pages go: sample until three samples a
// second apart agree within 1 %, for at most 30 s.
Sample settle()
{
    Sample last = measure();
    int steady = 0;
    QElapsedTimer clock;
    clock.start();
    while (steady < 3 && clock.elapsed() < 30000) {
        waitFor([] { return false; }, 1000);
        const Sample now = measure();
        steady = std::abs(now.pssMiB - last.pssMiB) <= last.pssMiB * 0.01 ? steady + 1 : 0;
        last = now;
    }
    return last;
}

QWebEnginePage *pageOf(WBControl &tabs, int16_t i)
{
    return tk::QtWebBrowserTestAccess::page(static_cast<tk::QtWebBrowser &>(tabs.parts().WB(i).browser()));
}

void report(const char *what, const Sample &s)
{
    std::printf("%-28s %8.1f MiB PSS, %8.1f MiB private, in %d processes\n", what, s.pssMiB, s.privateMiB,
                s.processes);
    if (qEnvironmentVariableIsSet("TAB_MEMORY_DETAIL")) {
        const struct mallinfo2 m = ::mallinfo2();
        std::printf("    heap: %.1f MiB in use, %.1f MiB free in the arenas, %.1f MiB mapped\n",
                    double(m.uordblks) / 1048576.0, double(m.fordblks) / 1048576.0,
                    double(m.hblkhd) / 1048576.0);
    }
    if (qEnvironmentVariableIsSet("TAB_MEMORY_DETAIL"))
        for (pid_t pid : processTree(::getpid())) {
            QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
            QFile cmd(QStringLiteral("/proc/%1/cmdline").arg(pid));
            if (!rollup.open(QIODevice::ReadOnly) || !cmd.open(QIODevice::ReadOnly))
                continue;
            QByteArray pss;
            for (const QByteArray &line : rollup.readAll().split('\n'))
                if (line.startsWith("Pss:"))
                    pss = line.mid(4).trimmed();
            std::printf("    %7d %-14s %s\n", int(pid), pss.constData(),
                        cmd.readAll().replace('\0', ' ').left(90).constData());
        }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir home, runtime, folder;
    if (!home.isValid() || !runtime.isValid() || !folder.isValid())
        return 2;
    // A fresh profile each run, so no earlier cache or history counts.
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        std::fprintf(stderr, "as root the engine needs QTWEBENGINE_DISABLE_SANDBOX=1\n");
        return 2;
    }
    // As the program chooses its scene graph.
    tk::chooseSceneGraph();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    tk::setUpFonts();
    tk::registerQtWebBrowserFactory();

    int status = 0;
    {
        tk::Form host;
        WBControl tabs(&host);
        host.Move(0, 0, 12000, 8000);
        tabs.Move(0, 0, 12000, 8000);
        host.Show();
        if (!waitFor([&] { return !tabs.parts().WB(0)->Busy() && !tabs.tabs().title(0).isEmpty(); }, 60000))
            return 1;
        const Sample alone = settle();
        report("tab 0 alone", alone);

        // Small pages of their own, each with a little text and layout.
        std::vector<int16_t> opened;
        for (int k = 0; k < pages; ++k) {
            const QString name = QStringLiteral("page%1.html").arg(k);
            QFile file(folder.filePath(name));
            QString body;
            for (int p = 0; p < 40; ++p)
                body += QStringLiteral("<p>Paragraph %1 of page %2, with some words to lay out.</p>")
                            .arg(p)
                            .arg(k);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(
                    QStringLiteral("<title>Page %1</title><body>%2</body>").arg(k).arg(body).toUtf8()) < 0)
                return 2;
            file.close();
            const std::optional<int16_t> n = tabs.NewWindow(QUrl::fromLocalFile(file.fileName()).toString());
            if (!n)
                return 1;
            opened.push_back(*n);
        }
        if (!waitFor(
                [&] {
                    for (size_t k = 0; k < opened.size(); ++k)
                        if (tabs.parts().WB(opened[k])->Busy() ||
                            tabs.parts().WB(opened[k])->LocationName() != QStringLiteral("Page %1").arg(k))
                            return false;
                    return true;
                },
                120000))
            return 1;
        const Sample open = settle();
        report(QStringLiteral("%1 pages open").arg(pages).toLocal8Bit().constData(), open);

        // Closed with their close buttons, the selected tab each time.
        for (size_t k = 0; k < opened.size(); ++k) {
            const int16_t i = tabs.CurrentTab;
            tabs.parts().Tcbt(i).events.MouseDown(tk::kLeftButton, 0, 10, 10);
            tabs.parts().Tcbt(i).events.MouseUp(tk::kLeftButton, 0, 10, 10);
        }
        if (tabs.parts().List1.ListCount() != 0)
            return 1;
        const bool given = waitFor(
            [&] {
                for (int16_t i : opened)
                    if (pageOf(tabs, i) && pageOf(tabs, i)->renderProcessPid() != 0)
                        return false;
                return true;
            },
            60000);
        const Sample closed = settle();
        report(QStringLiteral("after closing %1").arg(pages).toLocal8Bit().constData(), closed);
        const double growth = (closed.pssMiB - alone.pssMiB) / alone.pssMiB * 100.0;
        std::printf("closed vs alone: %+.1f %% (%s); renderers of closed tabs %s\n", growth,
                    growth <= 10.0 ? "within 10 %" : "over 10 %", given ? "all gone" : "still running");
        status = growth <= 10.0 && given ? 0 : 1;
    }
    return status;
}
