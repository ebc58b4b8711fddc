// Thousands of seeded random opens, closes, selections, titles and resizes;
// after each, the tab set must still be whole and consistent.
#include "FakeBrowser.h"
#include "TabLayout.h"
#include "WBControl.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace tk;

namespace {

class Sequence {
public:
    Sequence()
    {
        FakeBrowser::install();
        w.Move(0, 0, 9000, 5000);
        w.WB.setLoadHook([this](int16_t) {
            if (failCreation)
                throw TkError(kComponentError);
        });
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    int16_t anyLoaded()
    {
        auto it = loaded.begin();
        std::advance(it, pick(int(loaded.size())));
        return *it;
    }
    FakeBrowser &browser(int16_t i) { return static_cast<FakeBrowser &>(w.WB(i).browser()); }
    std::vector<int16_t> openTabs() const
    {
        std::vector<int16_t> tabs{0};
        for (const QString &item : w.List1.items())
            tabs.push_back(int16_t(item.toInt()));
        return tabs;
    }

    void openOne(int step)
    {
        const QStringList before1 = w.List1.items(), before2 = w.List2.items();
        const int16_t selected = w.CurrentTab;
        failCreation = pick(8) == 0;
        const bool mustFail = failCreation && before2.isEmpty();
        const std::optional<int16_t> n = w.NewWindow(QStringLiteral("http://example.test/%1").arg(step));
        failCreation = false;
        if (mustFail) {
            ASSERT_FALSE(n.has_value());
            ASSERT_EQ(w.List1.items(), before1);
            ASSERT_EQ(w.List2.items(), before2);
            ASSERT_EQ(w.CurrentTab, selected);
            return;
        }
        ASSERT_TRUE(n.has_value());
        if (!before2.isEmpty()) {
            ASSERT_EQ(*n, before2.first().toInt()) << "the oldest closed tab first";
        }
        ASSERT_EQ(w.List1.items().last(), QString::number(*n));
        ASSERT_EQ(w.CurrentTab, *n);
        loaded.insert(*n);
    }

    void closeOne()
    {
        const int16_t i = anyLoaded();
        if (pick(2) == 0)
            browser(i).fireWindowClosing(false);
        else
            w.Tcbt(i).MouseUp(kLeftButton, 0, float(pick(226)), float(pick(211)));
    }

    void selectOne()
    {
        const std::vector<int16_t> tabs = openTabs();
        const int16_t i = tabs[size_t(pick(int(tabs.size())))];
        const int16_t button = int16_t(1 << pick(3));
        switch (pick(4)) {
        case 0: w.MTab(i).MouseDown(button, 0, 0, 0); break;
        case 1: w.TIcon(i).MouseDown(button, 0, 10, 10); break;
        case 2: w.Tstr(i).MouseDown(button, 0, 10, 10); break;
        default: w.bgCenter(i).MouseMove(button, 0, 10, 10); break;
        }
    }

    void retitle()
    {
        const int16_t i = anyLoaded();
        browser(i).fireTitleChange(QStringLiteral("Page title number %1").left(pick(24)));
    }

    void resize() { w.Move(0, 0, float(pick(60000)), float(pick(9000))); }

    void expectWhole()
    {
        std::multiset<int16_t> seen{0};
        for (const QString &item : w.List1.items())
            seen.insert(int16_t(item.toInt()));
        for (const QString &item : w.List2.items())
            seen.insert(int16_t(item.toInt()));
        ASSERT_EQ(std::set<int16_t>(seen.begin(), seen.end()), loaded);
        ASSERT_EQ(seen.size(), loaded.size()) << "an index in two places";
        const std::vector<int16_t> open = openTabs();
        const bool currentOpen = std::find(open.begin(), open.end(), w.CurrentTab) != open.end();
        ASSERT_TRUE(currentOpen) << w.CurrentTab;
        for (int16_t i : loaded) {
            const bool isOpen = std::find(open.begin(), open.end(), i) != open.end();
            const bool selected = i == w.CurrentTab;
            ASSERT_EQ(w.MTab(i).Visible(), isOpen) << i;
            ASSERT_EQ(w.WBCnt(i).Visible(), selected) << i;
            ASSERT_EQ(w.Tcbt(i).Visible(), selected && i != 0) << i;
            const Picture &skin = w.bgLeft(i).picture();
            if (isOpen) {
                ASSERT_EQ(skin, selected ? w.TLeft0.picture() : w.TLeft1.picture()) << i;
            }
        }
    }

    void expectLaidOut()
    {
        const std::vector<int16_t> open = openTabs();
        const int16_t width = tabstrip::tabWidth(w.Width(), int(open.size()));
        for (size_t p = 0; p < open.size(); ++p) {
            ASSERT_EQ(w.MTab(open[p]).Left(), float(double(p) * width)) << "position " << p;
            ASSERT_EQ(w.MTab(open[p]).Width(), width);
        }
    }

    WBControl w{nullptr};
    std::mt19937 rng{20250611};
    std::set<int16_t> loaded{0};
    bool failCreation = false;
};

TEST(TabSequence, RandomUseKeepsEveryTabInExactlyOnePlace)
{
    Sequence s;
    int opened = 0, resized = 0;
    for (int step = 0; step < 4000; ++step) {
        const int op = s.pick(100);
        const bool crowded = s.w.List1.ListCount() >= 40;
        if (op < 30 && !crowded) {
            ASSERT_NO_FATAL_FAILURE(s.openOne(step));
            ++opened;
        } else if (op < 55) {
            s.closeOne();
        } else if (op < 80) {
            s.selectOne();
        } else if (op < 88) {
            s.retitle();
        } else {
            s.resize();
            ASSERT_NO_FATAL_FAILURE(s.expectLaidOut()) << "step " << step;
            ++resized;
        }
        ASSERT_NO_FATAL_FAILURE(s.expectWhole()) << "step " << step;
    }
    s.w.TabResize();
    ASSERT_NO_FATAL_FAILURE(s.expectLaidOut());
    EXPECT_GT(opened, 800);
    EXPECT_GT(resized, 300);
    EXPECT_GT(s.loaded.size(), 20u);
}

} // namespace
