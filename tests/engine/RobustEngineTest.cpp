// The tabbed control on the real engine under hostile pages.

#include "ShellOnEngine.h"

#include <QMouseEvent>

namespace {

using Robust = ShellOnEngine;

// Every page at once: a storm of windows opened, of closes, of long titles,
// of navigations and of dialogs. The strip keeps answering clicks within a
// second and stays whole, and only the user's clicks open tabs.
TEST_F(Robust, HostilePagesLeaveTheProgramResponsiveAndTheStripWhole)
{
    writePage("other.html", "<title>Other</title>");
    const std::pair<const char *, const char *> hostile[] = {
        {"opens", "for (let i = 0; i < 300; i++) open('other.html');"
                  " setInterval(() => { for (let i = 0; i < 20; i++) open('other.html', '_blank'); }, 5);"},
        {"closes", "close(); onload = close; setInterval(close, 5);"},
        {"titles", "let n = 0; const long = 'x'.repeat(50000);"
                   " setInterval(() => { for (let i = 0; i < 50; i++) document.title = (n++) + long; }, 1);"},
        {"navigates", "const n = Number(location.search.slice(1)) || 0;"
                      " if (n < 100000) setTimeout(() => location.replace('navigates.html?' + (n + 1)), 0);"},
        {"alerts", "setInterval(() => { for (let i = 0; i < 20; i++) { alert(i); confirm('sure?'); "
                   "prompt('what?'); } }, 5);"}};
    for (const auto &[name, script] : hostile) {
        const QString page =
            writePage(QStringLiteral("%1.html").arg(name),
                      QStringLiteral("<title>%1</title><body><script>%2</script></body>").arg(name, script));
        ASSERT_TRUE(tabs.NewWindow(page).has_value()) << name;
    }
    // Every page under way, and the storms well under way: a thousand long
    // titles, dozens of navigations. A hidden page's timers run seldom, and
    // on a busy machine the titles can take more than a minute.
    ASSERT_TRUE(waitFor(
        [&] {
            for (int16_t i = 1; i <= 5; ++i)
                if (!c().List2.items().contains(QString::number(i)) &&
                    !c().WB(i)->LocationURL().startsWith("file:"))
                    return false;
            return c().WB(3)->LocationName().section(u'x', 0, 0).toInt() > 1000 &&
                   c().WB(4)->LocationURL().section(u'?', 1).toInt() > 30;
        },
        180000));
    EXPECT_LE(c().Tstr(3).Caption().size(), 13) << "a long title is cut to fit its tab";

    // Round and round the strip, a click on a tab other than the selected one
    // each time, queued as the window system delivers it. A page closing
    // itself may select another tab right after: what counts is that the
    // click's selection happened.
    int16_t target = -1;
    bool reached = false;
    tabs.events.SelectTab = [&] { reached = reached || tabs.CurrentTab == target; };
    const auto indexes = [](const tk::ListBox &list, std::vector<int16_t> v) {
        for (const QString &s : list.items())
            v.push_back(int16_t(s.toInt()));
        return v;
    };
    const auto openTabs = [&] { return indexes(c().List1, {0}); };
    for (size_t round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        std::vector<int16_t> open = openTabs();
        target = open[(round + (open[round % open.size()] == tabs.CurrentTab)) % open.size()];
        reached = false;
        QWidget *w = c().bgCenter(target).peer();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                w, new QMouseEvent(type, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                   type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                   Qt::NoModifier));
        ASSERT_TRUE(waitFor([&] { return reached; }, 1000)) << "tab " << tabs.CurrentTab << " is selected";

        // Whole: the lists as the tab model has them, it whole, the open tabs shown left to right.
        open = openTabs();
        const wbcontrol::TabSet &model = tabs.tabs();
        ASSERT_TRUE(model.whole() && open == model.strip() && indexes(c().List2, {}) == model.closed())
            << model.toString();
        ASSERT_EQ(size_t(c().MTab.count()), open.size() + model.closed().size()) << "a tab in no list";
        for (size_t p = 0; p < open.size(); ++p) {
            ASSERT_TRUE(c().MTab(open[p]).Visible()) << open[p];
            ASSERT_TRUE(p == 0 || p + 1 == open.size() ||
                        c().MTab(open[p]).Left() > c().MTab(open[p - 1]).Left())
                << "position " << p;
        }
    }
    EXPECT_LE(c().MTab.count(), 6) << "only the user's clicks open tabs";
    const std::optional<int16_t> n = tabs.NewWindow(pageUrl("other.html"));
    ASSERT_TRUE(n.has_value());
    EXPECT_TRUE(titled(*n, "Other")) << "a new tab still loads a page";
}

} // namespace
