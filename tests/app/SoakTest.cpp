// The shell on the fake browser under thousands of seeded random user
// actions; after every step each tab index is in exactly one place (tab 0,
// the open list, the closed list), the selection is open and the strip in
// order. TAVRIN_SOAK_SEED replays a run, TAVRIN_SOAK_STEPS sets its length.
#include "ShellFixture.h"
#include "TabLayout.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <cstdlib>
#include <limits>
#include <random>
#include <set>

using namespace tk;

namespace {

constexpr int16_t kLast = std::numeric_limits<int16_t>::max();

unsigned long envNumber(const char *name, unsigned long fallback)
{
    const char *v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

class Soak : public ShellFixture {
protected:
    static WBControl &w() { return main().WBControl1; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float anywhere(int span) { return float(pick(3 * span) - span); }
    template <class V> auto any(const V &v) { return v[size_t(pick(int(std::size(v))))]; }

    // Tab 0 and List1; with closed, List2's after them.
    std::vector<int16_t> tabsIn(bool closed = false)
    {
        std::vector<int16_t> tabs{0};
        for (const QString &item : w().List1.items() + (closed ? w().List2.items() : QStringList()))
            tabs.push_back(int16_t(item.toInt()));
        return tabs;
    }

    QString anyText()
    {
        static const QString odd[] = {
            QString(), QStringLiteral("javascript:alert(1)"), QStringLiteral("about:blank"),
            QStringLiteral(" \t\nJaVa\tScRiPt:void(0)"), QChar(0) + QStringLiteral("http://nul.test/")};
        QString s = pick(2)   ? QStringLiteral("http://example.test/%1").arg(pick(1000))
                    : pick(6) ? any(odd)
                              : QString(pick(50) ? 1 << 12 : 1 << 20, QChar(u'a' + pick(26)));
        for (int k = pick(3) ? 0 : pick(60); k > 0; --k)
            s += QChar(char16_t(pick(0xD800)));
        return s;
    }

    void step()
    {
        const int16_t open = any(tabsIn()), loaded = any(tabsIn(true));
        IntrinsicControl *const pieces[] = {&w().MTab(open),    &w().bgLeft(open), &w().bgCenter(open),
                                            &w().bgRight(open), &w().TIcon(open),  &w().Tstr(open),
                                            &w().Tcbt(open)};
        WebBrowserEvents &page = browser(loaded).events;
        const auto mouse =
            std::array{&ControlEvents::MouseDown, &ControlEvents::MouseMove, &ControlEvents::MouseUp};
        bool cancel = false;
        WebBrowser *opened = nullptr;
        const std::function<void()> actions[] = {
            [&] {
                raise(any(pieces)->events.*any(mouse), int16_t(pick(8)), int16_t(pick(8)), anywhere(3000),
                      anywhere(420));
            },
            [&] { w().NewWindow(anyText()); },
            [&] { raise(page.NewWindow2, opened, cancel); },
            [&] { // on any tab: tab 0's and a closed tab's refuse
                const int16_t b = pick(3) ? int16_t(kLeftButton) : int16_t(1 << pick(3));
                for (auto event : mouse)
                    raise(w().Tcbt(loaded).events.*event, b, 0, anywhere(225), anywhere(210));
            },
            [&] {
                QMimeData mime;
                pick(3) ? mime.setText(anyText()) : mime.setUrls({QUrl::fromLocalFile("/tmp/a b.html")});
                QDropEvent drop(QPointF(pick(200) - 20, pick(40) - 5), Qt::CopyAction, &mime, Qt::LeftButton,
                                {});
                QCoreApplication::sendEvent(any(pieces)->peer(), &drop);
            },
            [&] {
                const float width = float(pick(60000)), height = float(pick(20000));
                Control &c = pick(2) ? static_cast<Control &>(w()) : main();
                c.Move(c.Left(), c.Top(), width, height);
            },
            [&] { raise(page.TitleChange, anyText()); },
            [&] { browser(loaded).completeLoad(anyText().left(300)); },
            [&] { raise(page.WindowClosing, pick(2) == 0, cancel); },
            [&] {
                if (!forms::FormOpenUrl.isLoaded() || pick(3) == 0)
                    return main().CommandOpenURL_Click();
                forms::FormOpenUrl->Text1.setText(anyText().left(2000));
                QTest::keyClick(forms::FormOpenUrl->Text1.edit(), pick(2) ? Qt::Key_Return : Qt::Key_Escape);
                FormInstanceBase::flushUnloaded();
            },
            [&] { raise(page.FullScreenRequested, pick(3) != 0, cancel); },
            [&] { w().LeaveFullScreen(); },
            [&] { w().RefreshPage(), w().StopLink(), w().Goback(), w().Goforward(), (void)w().url(); },
            [&] { w().seturl(anyText()), w().zoom(pick(3) - 1); },
            [&] { w().selectAdjacentTab(pick(2) ? 1 : -1); },
            [&] { w().closeSelectedTab(); }};
        // The pointer on the strip, the commonest action, first; the opens
        // next, mostly skipped once 40 tabs are open.
        const std::pair<float, float> size{w().Width(), w().Height()};
        action = std::max(0, pick(int(std::size(actions)) + 8) - 8);
        if (action > 2 || w().List1.ListCount() < 40 || pick(4) == 0)
            actions[action]();
        laidOut = size != std::pair<float, float>{w().Width(), w().Height()};
    }

    // With nothing closed to reuse, the next open takes the largest index,
    // none goes past it, and the walk goes on up there.
    void nearTheLimit()
    {
        action = -1;
        while (w().List2.ListCount() > 0)
            w().NewWindow(QStringLiteral("http://reused.test/"));
        w().List1.AddItem(QString::number(kLast - 1));
        EXPECT_EQ(w().NewWindow(QStringLiteral("http://high.test/")), std::optional<int16_t>(kLast));
        w().List1.RemoveItem(int(w().List1.items().indexOf(QString::number(kLast - 1))));
        w().TabResize();
        EXPECT_EQ(w().NewWindow(QStringLiteral("http://higher.test/")), std::nullopt);
    }

    void expectWhole()
    {
        const std::vector<int16_t> open = tabsIn(), all = tabsIn(true);
        const std::set<int16_t> openSet(open.begin(), open.end()), allSet(all.begin(), all.end());
        for (const QString &item : w().List1.items() + w().List2.items())
            ASSERT_TRUE(item == QString::number(item.toInt()) && item.toInt() > 0 && item.toInt() <= kLast)
                << "item " << item.toStdString();
        ASSERT_EQ(allSet.size(), all.size()) << "an index in two places";
        ASSERT_EQ(size_t(w().MTab.count()), all.size()) << "a tab in no list";
        ASSERT_EQ(size_t(w().WB.count()), all.size());
        const int16_t selected = w().CurrentTab;
        ASSERT_TRUE(openSet.count(selected)) << "selected tab " << selected << " not open";
        ASSERT_TRUE(w().fullScreenTab().value_or(selected) == selected)
            << "only the selected page fills the screen";
        for (int16_t i : all) {
            ASSERT_EQ(w().MTab(i).Visible(), openSet.count(i) != 0) << i;
            ASSERT_EQ(w().WBCnt(i).Visible(), i == selected) << i;
            ASSERT_EQ(w().Tcbt(i).Visible(), i == selected && i != 0) << i;
        }
        // Each open tab right of the one before, but the last, which after a
        // reuse keeps its provisional place (right of tab 0) until the next layout.
        const auto left = [](int16_t i) { return w().MTab(i).Left(); };
        const int16_t width = wbcontrol::tabWidth(w().Width(), int(open.size()));
        for (size_t p = 0; p < open.size(); ++p) {
            const float at = left(open[p]), wide = w().MTab(open[p]).Width();
            ASSERT_GT(wide, 0) << open[p];
            ASSERT_TRUE(p == 0 || (p + 1 < open.size() ? at > left(open[p - 1]) : at >= left(0))) << p;
            ASSERT_TRUE(!laidOut || (at == float(p * width) && wide == width))
                << "position " << p << " at " << at << " " << wide << " in " << w().Width();
        }
    }

    std::mt19937 rng;
    int action = 0;       // the last step's kind
    bool laidOut = false; // the last step laid the strip out anew
};

TEST_F(Soak, RandomUseKeepsEveryTabInExactlyOnePlace)
{
    const unsigned long seed = envNumber("TAVRIN_SOAK_SEED", 20261206);
    const int steps = int(envNumber("TAVRIN_SOAK_STEPS", 20000));
    rng.seed(seed);
    main().Show();
    for (int n = 0; n < steps; ++n) {
        SCOPED_TRACE(testing::Message() << "step " << n << ", replay with TAVRIN_SOAK_SEED=" << seed);
        ASSERT_NO_THROW(n == steps / 3 ? nearTheLimit() : step()) << "action " << action;
        ASSERT_NO_FATAL_FAILURE(expectWhole()) << "action " << action;
        ASSERT_FALSE(HasFailure()) << "action " << action;
    }
}

} // namespace
