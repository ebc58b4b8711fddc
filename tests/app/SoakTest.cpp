// The shell on the fake browser under thousands of seeded random user
// actions; after every step each tab index is in exactly one place (tab 0,
// the open list, the closed list), the selection is open with only its page
// and close button shown, and the strip in order. TAVRIN_SOAK_SEED replays a
// run, TAVRIN_SOAK_STEPS sets its length.
#include "ShellFixture.h"

#include <QLineEdit>

#include <random>

using namespace tk;
using namespace tavrin;

namespace {

// Addresses, and the odd text a page or a user may give.
const QStringList kTexts =
    QStringList{QString(5000, u'w')} +
    QStringLiteral("|javascript:alert(1)|http://example.test/|about:blank| \t\n\x7f\u4e2d").split(u'|');

class Soak : public ShellFixture {
protected:
    static WBControl &w() { return main().WBControl1; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float anywhere(int span) { return float(pick(3 * span) - span); }
    template <class V> auto any(const V &v) { return v[size_t(pick(int(std::size(v))))]; }

    // Tab indexes as a list's items.
    static QStringList items(const std::vector<int16_t> &tabs, size_t from = 0)
    {
        QStringList items;
        for (size_t k = from; k < tabs.size(); ++k)
            items << QString::number(tabs[k]);
        return items;
    }

    // Tab 0 and the open tabs, then the closed ones.
    static std::vector<int16_t> allTabs()
    {
        std::vector<int16_t> all = w().tabs().strip();
        all.insert(all.end(), w().tabs().closed().begin(), w().tabs().closed().end());
        return all;
    }

    void step()
    {
        const int16_t open = any(w().tabs().strip()), loaded = any(allTabs());
        IntrinsicControl *const pieces[] = {&c().MTab(open),    &c().bgLeft(open), &c().bgCenter(open),
                                            &c().bgRight(open), &c().TIcon(open),  &c().Tstr(open),
                                            &c().Tcbt(open)};
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
            [&] { w().NewWindow(any(kTexts)); },
            [&] { raise(page.NewWindow2, opened, cancel); },
            [&] { // on any tab: tab 0's and a closed tab's refuse
                const int16_t b = pick(3) ? int16_t(kLeftButton) : int16_t(1 << pick(3));
                for (auto event : mouse)
                    raise(c().Tcbt(loaded).events.*event, b, 0, anywhere(225), anywhere(210));
            },
            [&] {
                Control &c = pick(2) ? static_cast<Control &>(w()) : main();
                c.Move(c.Left(), c.Top(), float(pick(60000)), float(pick(20000)));
            },
            [&] { raise(page.TitleChange, any(kTexts)); },
            [&] { browser(loaded).completeLoad(any(kTexts)); },
            [&] { raise(page.WindowClosing, pick(2) == 0, cancel); },
            [&] {
                main().CommandOpenURL_Click();
                forms::FormOpenUrl->Text1.setText(any(kTexts));
                QTest::keyClick(forms::FormOpenUrl->Text1.edit(), pick(2) ? Qt::Key_Return : Qt::Key_Escape);
                FormInstanceBase::flushUnloaded();
            },
            [&] { raise(page.FullScreenRequested, pick(3) != 0, cancel); },
            [&] { w().LeaveFullScreen(); },
            [&] { w().selectAdjacentTab(pick(2) ? 1 : -1); },
            [&] { w().closeSelectedTab(); }};
        // The pointer on the strip, the commonest action, first; the opens
        // next, mostly skipped once 40 tabs are open.
        action = std::max(0, pick(int(std::size(actions)) + 8) - 8);
        if (action > 2 || c().List1.ListCount() < 40 || pick(4) == 0)
            actions[action]();
    }

    void expectWhole()
    {
        // The lists and the selection show what the tab model holds, and it is whole.
        const wbcontrol::TabSet &t = w().tabs();
        const std::vector<int16_t> open = t.strip();
        // Then every tab made is on a list (made tabs and browsers as many), only the selected page fills the
        // screen.
        const int16_t selected = w().CurrentTab, full = w().fullScreenTab().value_or(selected);
        ASSERT_TRUE(t.whole()) << t.toString();
        ASSERT_EQ(std::tuple(c().List1.items(), c().List2.items(), selected, size_t(c().MTab.count()),
                             c().WB.count(), full),
                  std::tuple(items(open, 1), items(t.closed()), t.selected(), open.size() + t.closed().size(),
                             c().MTab.count(), selected))
            << t.toString();
        for (int16_t i : allTabs())
            ASSERT_EQ(std::tuple(c().MTab(i).Visible(), c().WBCnt(i).Visible(), c().Tcbt(i).Visible()),
                      std::tuple(t.onStrip(i), i == selected, i == selected && i != 0))
                << i;
        // Each open tab right of the one before, but the last, which after a
        // reuse keeps its provisional place (right of tab 0) until the next layout.
        const auto left = [](int16_t i) { return c().MTab(i).Left(); };
        for (size_t p = 1; p < open.size(); ++p)
            ASSERT_TRUE(p + 1 < open.size() ? left(open[p]) > left(open[p - 1]) : left(open[p]) >= left(0))
                << p;
    }

    std::mt19937 rng;
    int action = 0; // the last step's kind
};

TEST_F(Soak, RandomUseKeepsEveryTabInExactlyOnePlace)
{
    const int seed = qEnvironmentVariable("TAVRIN_SOAK_SEED", "20261206").toInt(),
              steps = qEnvironmentVariable("TAVRIN_SOAK_STEPS", "20000").toInt();
    rng.seed(unsigned(seed));
    main().Show();
    for (int n = 0; n < steps; ++n) {
        SCOPED_TRACE(testing::Message() << "step " << n << ", replay with TAVRIN_SOAK_SEED=" << seed);
        ASSERT_NO_THROW(step()) << "action " << action;
        ASSERT_NO_FATAL_FAILURE(expectWhole()) << "action " << action;
        ASSERT_FALSE(HasFailure()) << "action " << action;
    }
}

} // namespace
