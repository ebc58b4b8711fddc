// The shell on the fake browser under thousands of seeded random user
// actions; after every step each tab index is in exactly one place (tab 0,
// the open list, the closed list), the selection is open with only its page
// and close button shown, and the strip in order. TAVRIN_SOAK_SEED replays a
// run, TAVRIN_SOAK_STEPS sets its length.
#include "ShellFixture.h"

#include <QLineEdit>

#include <random>

using namespace tk;

namespace {

// Addresses, and the odd text a page or a user may give.
const QStringList kTexts =
    QStringList{QString(5000, u'w')} +
    QStringLiteral("|javascript:alert(1)|http://example.test/|about:blank| \t\n\x7f\u4e2d").split(u'|');

class Soak : public ShellFixture {
protected:
    static WBControl &w() { return main().WBControl1; }
    static int env(const char *name, int fallback)
    {
        return qEnvironmentVariableIsEmpty(name) ? fallback : qEnvironmentVariableIntValue(name);
    }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float anywhere(int span) { return float(pick(3 * span) - span); }
    template <class V> auto any(const V &v) { return v[size_t(pick(int(std::size(v))))]; }

    // A list's items as tab indexes.
    static std::vector<int16_t> indexes(const ListBox &list)
    {
        std::vector<int16_t> tabs;
        for (const QString &item : list.items())
            tabs.push_back(int16_t(item.toInt()));
        return tabs;
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
            [&] { w().NewWindow(any(kTexts)); },
            [&] { raise(page.NewWindow2, opened, cancel); },
            [&] { // on any tab: tab 0's and a closed tab's refuse
                const int16_t b = pick(3) ? int16_t(kLeftButton) : int16_t(1 << pick(3));
                for (auto event : mouse)
                    raise(w().Tcbt(loaded).events.*event, b, 0, anywhere(225), anywhere(210));
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
        if (action > 2 || w().List1.ListCount() < 40 || pick(4) == 0)
            actions[action]();
    }

    void expectWhole()
    {
        // The lists and the selection show what the tab model holds, and it is whole.
        const wbcontrol::TabSet &t = w().tabs();
        const std::vector<int16_t> open = t.strip();
        ASSERT_TRUE(t.whole()) << t.toString();
        ASSERT_EQ(indexes(w().List1), std::vector<int16_t>(open.begin() + 1, open.end())) << t.toString();
        ASSERT_EQ(indexes(w().List2), t.closed()) << t.toString();
        ASSERT_EQ(w().CurrentTab, t.selected()) << t.toString();
        ASSERT_EQ(size_t(w().MTab.count()), open.size() + t.closed().size()) << "a tab in no list";
        ASSERT_EQ(w().WB.count(), w().MTab.count());
        const int16_t selected = w().CurrentTab;
        ASSERT_EQ(w().fullScreenTab().value_or(selected), selected)
            << "only the selected page fills the screen";
        for (int16_t i : allTabs()) {
            ASSERT_EQ(w().MTab(i).Visible(), t.onStrip(i)) << i;
            ASSERT_EQ(w().WBCnt(i).Visible(), i == selected) << i;
            ASSERT_EQ(w().Tcbt(i).Visible(), i == selected && i != 0) << i;
        }
        // Each open tab right of the one before, but the last, which after a
        // reuse keeps its provisional place (right of tab 0) until the next layout.
        const auto left = [](int16_t i) { return w().MTab(i).Left(); };
        for (size_t p = 1; p < open.size(); ++p)
            ASSERT_TRUE(p + 1 < open.size() ? left(open[p]) > left(open[p - 1]) : left(open[p]) >= left(0))
                << p;
    }

    std::mt19937 rng;
    int action = 0; // the last step's kind
};

TEST_F(Soak, RandomUseKeepsEveryTabInExactlyOnePlace)
{
    const int seed = env("TAVRIN_SOAK_SEED", 20261206), steps = env("TAVRIN_SOAK_STEPS", 20000);
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
