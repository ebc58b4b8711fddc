// The tabbed control on the real engine under hostile pages, and a soak of
// opens and closes whose memory must level off.

#include "EngineSupport.h"
#include "WBControl.h"
#include "browser/webengine/QtWebBrowser.h"
#include "toolkit/Fonts.h"
#include "toolkit/Form.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>

#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

class RobustOnEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.Move(0, 0, 12000, 8000);
        tabs.Move(0, 0, 12000, 8000);
        host.Show();
    }

    std::vector<int16_t> openTabs()
    {
        std::vector<int16_t> v{0};
        for (const QString &s : tabs.List1.items())
            v.push_back(int16_t(s.toInt()));
        return v;
    }

    // A click as the window system delivers it: queued, so a starved event
    // loop would leave it waiting.
    void postClick(QWidget *w)
    {
        const QPointF at(5, 5);
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, at, w->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, at, w->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }

    void expectStripWhole()
    {
        std::multiset<int16_t> seen{0};
        for (const QStringList &list : {tabs.List1.items(), tabs.List2.items()})
            for (const QString &s : list)
                seen.insert(int16_t(s.toInt()));
        ASSERT_EQ(std::set<int16_t>(seen.begin(), seen.end()).size(), seen.size())
            << "an index in two places";
        ASSERT_EQ(size_t(tabs.MTab.count()), seen.size()) << "a tab in no list";
        const std::vector<int16_t> open = openTabs();
        ASSERT_NE(std::find(open.begin(), open.end(), tabs.CurrentTab), open.end())
            << "selected tab not open";
        for (size_t p = 1; p + 1 < open.size(); ++p)
            ASSERT_GT(tabs.MTab(open[p]).Left(), tabs.MTab(open[p - 1]).Left()) << "position " << p;
        for (int16_t i : open)
            ASSERT_TRUE(tabs.MTab(i).Visible()) << i;
    }

    tk::Form host;
    WBControl tabs{&host};
};

// The proportional set size of this process and every process below it (the
// engine's helpers), in kB.
long treePss()
{
    std::multimap<int, int> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toInt() > 0 && stat.open(QIODevice::ReadOnly)) {
            const QByteArray s = stat.readAll();
            children.insert({s.mid(s.lastIndexOf(')') + 2).split(' ').value(1).toInt(), entry.toInt()});
        }
    }
    long total = 0;
    std::vector<int> todo{int(QCoreApplication::applicationPid())};
    for (size_t k = 0; k < todo.size() && k < 10000; ++k) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(todo[k]));
        if (rollup.open(QIODevice::ReadOnly))
            for (const QByteArray &line : rollup.readAll().split('\n'))
                if (line.startsWith("Pss:"))
                    total += line.mid(4).trimmed().split(' ').first().toLong();
        for (auto [it, end] = children.equal_range(todo[k]); it != end; ++it)
            todo.push_back(it->second);
    }
    return total;
}

// The tree's PSS once the engine has settled: helpers starting or ending
// and collections under way move it by tens of megabytes for a moment.
long settledPss()
{
    long last = treePss();
    long now = last;
    waitFor(
        [&] {
            QTest::qWait(200);
            last = std::exchange(now, treePss());
            return std::abs(now - last) * 100 <= last;
        },
        15000);
    return now;
}

TEST_F(RobustOnEngine, HostilePagesLeaveTheProgramResponsiveAndTheStripWhole)
{
    writePage(QStringLiteral("other.html"), QStringLiteral("<title>Other</title>"));
    const QStringList pages{
        writePage(QStringLiteral("opens.html"),
                  QStringLiteral("<title>Opens</title><script>"
                                 "for (let i = 0; i < 300; i++) window.open('other.html');"
                                 "setInterval(function () { for (let i = 0; i < 20; i++) "
                                 "window.open('other.html', '_blank'); }, 5);"
                                 "</script>")),
        writePage(QStringLiteral("closes.html"),
                  QStringLiteral(
                      "<title>Closes</title><body onload='window.close()'><script>"
                      "window.close(); setInterval(function () { window.close(); }, 5);</script></body>")),
        writePage(
            QStringLiteral("titles.html"),
            QStringLiteral(
                "<title>Titles</title><script>let n = 0; const long = 'x'.repeat(50000);"
                "setInterval(function () { for (let i = 0; i < 50; i++) document.title = (n++) + long; }, 1);"
                "</script>")),
        writePage(QStringLiteral("navigates.html"),
                  QStringLiteral("<title>Navigates</title><script>"
                                 "const n = Number(location.search.slice(1)) || 0;"
                                 "if (n < 100000) setTimeout(function () { "
                                 "location.replace('navigates.html?' + (n + 1)); }, 0);"
                                 "</script>")),
        writePage(
            QStringLiteral("asks.html"),
            QStringLiteral("<title>Asks</title><script>function ask() {"
                           " try { navigator.geolocation.getCurrentPosition(function () {}, function () {}); "
                           "} catch (e) {}"
                           " try { Notification.requestPermission(); } catch (e) {}"
                           " try { navigator.mediaDevices.getUserMedia({audio: true, video: "
                           "true}).catch(function () {}); } catch (e) {}"
                           " try { navigator.mediaDevices.getDisplayMedia({video: true}).catch(function () "
                           "{}); } catch (e) {}"
                           " try { navigator.clipboard.readText().catch(function () {}); } catch (e) {}"
                           " try { navigator.clipboard.writeText('x').catch(function () {}); } catch (e) {}"
                           " try { document.body.requestPointerLock(); } catch (e) {}"
                           " try { navigator.requestMIDIAccess().catch(function () {}); } catch (e) {}"
                           "} ask(); setInterval(ask, 20);</script><body></body>")),
        writePage(QStringLiteral("alerts.html"),
                  QStringLiteral("<title>Alerts</title><script>setInterval(function () {"
                                 " for (let i = 0; i < 20; i++) { alert(i); confirm('sure?'); "
                                 "prompt('what?'); } }, 5);</script>")),
    };
    for (const QString &page : pages)
        ASSERT_TRUE(tabs.NewWindow(page).has_value());
    // Every page under way before the clicks start.
    ASSERT_TRUE(waitUntil([&] {
        for (int16_t i = 1; i <= int16_t(pages.size()); ++i)
            if (!tabs.List2.items().contains(QString::number(i)) &&
                (tabs.WB(i)->LocationURL().isEmpty() ||
                 tabs.WB(i)->LocationURL() == QLatin1String("about:blank")))
                return false;
        return true;
    }));

    // The storms well under way: thousands of long titles, dozens of navigations.
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(3)->LocationName().section(u'x', 0, 0).toInt() > 3000; }));
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(4)->LocationURL().section(u'?', 1).toInt() > 30; }));
    EXPECT_LE(tabs.Tstr(3).Caption().size(), 13) << "a long title is cut to fit its tab";

    // Round and round the strip, each click on a tab other than the selected
    // one. A page closing itself may select another tab right after the
    // click: what counts is that the click's selection happened.
    int16_t target = -1;
    bool reached = false;
    tabs.events.SelectTab = [&] { reached = reached || tabs.CurrentTab == target; };
    for (int round = 0; round < 24; ++round) {
        const std::vector<int16_t> open = openTabs();
        target = open[size_t(round) % open.size()];
        reached = false;
        if (target == tabs.CurrentTab)
            target = open[(size_t(round) + 1) % open.size()];
        postClick(tabs.bgCenter(target).peer());
        ASSERT_TRUE(waitFor([&] { return reached; }, 1000))
            << "round " << round << ": tab " << target << " not selected within a second, tab "
            << tabs.CurrentTab << " is";
        ASSERT_NO_FATAL_FAILURE(expectStripWhole()) << "round " << round;
    }
    // Only the user's clicks open tabs.
    EXPECT_LE(tabs.MTab.count(), int(pages.size()) + 1);
    // And a new tab still loads a page.
    const std::optional<int16_t> n = tabs.NewWindow(pageUrl(QStringLiteral("other.html")));
    ASSERT_TRUE(n.has_value());
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(*n)->LocationName() == QStringLiteral("Other"); }));
}

TEST_F(RobustOnEngine, TwoHundredOpensAndClosesLevelOffInMemory)
{
    std::vector<QString> pages;
    for (int k = 0; k < 5; ++k)
        pages.push_back(
            writePage(QStringLiteral("soak%1.html").arg(k),
                      QStringLiteral("<title>Soak %1</title><body><p>%2</p><script>"
                                     "document.body.appendChild(document.createElement('canvas'));</script>")
                          .arg(k)
                          .arg(QString(2000, QChar(u'a' + k)))));
    long afterTen = 0;
    for (int cycle = 0; cycle < 200; ++cycle) {
        // One open a cycle; with two extra tabs open the older one closes, and
        // the next open takes it back.
        const QString title = QStringLiteral("Soak %1").arg(cycle % 5);
        const std::optional<int16_t> a = tabs.NewWindow(pages[size_t(cycle % 5)]);
        ASSERT_TRUE(a.has_value()) << "cycle " << cycle;
        ASSERT_TRUE(waitUntil([&] { return tabs.WB(*a)->LocationName() == title && !tabs.WB(*a)->Busy(); }))
            << "cycle " << cycle;
        if (cycle > 0) {
            EXPECT_LE(tabs.MTab.count(), 3) << "closed tabs are reused";
        }
        // The close button, as a click on it sends its events.
        const std::vector<int16_t> open = openTabs();
        if (open.size() <= 2)
            continue;
        const int16_t victim = open[1];
        tabs.MTab(victim).events.MouseDown(tk::kLeftButton, 0, 0, 0);
        tabs.Tcbt(victim).events.MouseDown(tk::kLeftButton, 0, 10, 10);
        tabs.Tcbt(victim).events.MouseUp(tk::kLeftButton, 0, 10, 10);
        ASSERT_FALSE(tabs.MTab(victim).Visible()) << "cycle " << cycle;
        if (cycle % 40 == 39)
            std::cout << "engine soak: PSS after " << cycle + 1 << " cycles " << settledPss() << " kB\n";
        if (cycle == 9) {
            ASSERT_TRUE(
                waitUntil([&] { return tabs.WB(victim)->LocationURL() == QLatin1String("about:blank"); }));
            afterTen = settledPss();
        }
    }
    const long afterAll = settledPss();
    std::cout << "engine soak: PSS after 10 cycles " << afterTen << " kB, after 200 " << afterAll << " kB\n";
    EXPECT_GT(afterTen, 0);
    EXPECT_LE(afterAll, afterTen + afterTen * 15 / 100);
    const std::optional<int16_t> n = tabs.NewWindow(pages[0]);
    ASSERT_TRUE(n.has_value());
    ASSERT_TRUE(waitUntil([&] { return tabs.WB(*n)->LocationName() == QStringLiteral("Soak 0"); }));
}

} // namespace

int main(int argc, char **argv)
{
    return runEngineTests(argc, argv, [] {
        tk::setUpFonts();
        tk::registerQtWebBrowserFactory();
        return true;
    });
}
