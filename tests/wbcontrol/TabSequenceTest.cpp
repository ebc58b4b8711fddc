// Thousands of seeded random opens, closes, selections, titles and resizes,
// browser creations failing now and then; after each step the tab set must
// still be whole.
#include "TabFixture.h"
#include "TabLayout.h"

#include <random>
#include <set>

using namespace tk;

namespace {

class Sequence : public TabFixture {
protected:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    int16_t anyLoaded() { return *std::next(loaded.begin(), pick(int(loaded.size()))); }

    void openOne()
    {
        const std::string before = tabs();
        const QStringList closed = w().List2.items();
        failCreation = pick(8) == 0;
        const std::optional<int16_t> n = w().NewWindow(QStringLiteral("http://example.test/"));
        if (failCreation && closed.isEmpty()) {
            ASSERT_FALSE(n.has_value());
            ASSERT_EQ(tabs(), before);
        } else {
            ASSERT_TRUE(n.has_value());
            ASSERT_EQ(*n, closed.isEmpty() ? *n : closed.first().toInt()) << "oldest closed first";
            ASSERT_EQ(w().List1.items().last(), QString::number(*n));
            ASSERT_EQ(w().CurrentTab, *n);
            loaded.insert(*n);
        }
        failCreation = false;
    }

    void step()
    {
        const int op = pick(100);
        const std::vector<int16_t> open = openTabs();
        const int16_t anyOpen = open[size_t(pick(int(open.size())))];
        if (op < 30 && open.size() <= 40) {
            ASSERT_NO_FATAL_FAILURE(openOne());
        } else if (op < 42) {
            browser(anyLoaded()).fireWindowClosing(false);
        } else if (op < 55) {
            w().Tcbt(anyLoaded()).events.MouseUp(kLeftButton, 0, float(pick(226)), float(pick(211)));
        } else if (op < 80) {
            const int16_t button = int16_t(1 << pick(3));
            (pick(2) ? w().TIcon(anyOpen).events.MouseDown
                     : w().bgCenter(anyOpen).events.MouseMove)(button, 0, 10, 10);
        } else if (op < 88) {
            browser(anyLoaded()).fireTitleChange(QStringLiteral("Page title number %1").left(pick(24)));
        } else {
            w().Move(0, 0, float(pick(60000)), float(pick(9000)));
            ASSERT_NO_FATAL_FAILURE(expectLaidOut());
        }
    }

    void expectWhole()
    {
        std::multiset<int16_t> seen{0};
        for (const QStringList &list : {w().List1.items(), w().List2.items()})
            for (const QString &item : list)
                seen.insert(int16_t(item.toInt()));
        ASSERT_EQ(std::set<int16_t>(seen.begin(), seen.end()), loaded);
        ASSERT_EQ(seen.size(), loaded.size()) << "an index in two places";
        const std::vector<int16_t> open = openTabs();
        ASSERT_NE(std::find(open.begin(), open.end(), w().CurrentTab), open.end());
        for (int16_t i : loaded) {
            const bool isOpen = std::find(open.begin(), open.end(), i) != open.end();
            const bool selected = i == w().CurrentTab;
            ASSERT_EQ(w().MTab(i).Visible(), isOpen) << i;
            ASSERT_EQ(w().WBCnt(i).Visible(), selected) << i;
            ASSERT_EQ(w().Tcbt(i).Visible(), selected && i != 0) << i;
            ASSERT_TRUE(!isOpen || skinOf(i) == (selected ? 0 : 1)) << i;
        }
    }

    void expectLaidOut()
    {
        const std::vector<int16_t> open = openTabs();
        const int16_t width = wbcontrol::tabWidth(w().Width(), int(open.size()));
        for (size_t p = 0; p < open.size(); ++p) {
            ASSERT_EQ(w().MTab(open[p]).Left(), float(double(p) * width)) << "position " << p;
            ASSERT_EQ(w().MTab(open[p]).Width(), width);
        }
    }

    std::mt19937 rng{20250611};
    std::set<int16_t> loaded{0};
    bool failCreation = false;
};

TEST_F(Sequence, RandomUseKeepsEveryTabInExactlyOnePlace)
{
    w().Move(0, 0, 9000, 5000);
    w().WB.setLoadHook([this](int16_t) {
        if (failCreation)
            throw TkError(kComponentError);
    });
    for (int n = 0; n < 4000; ++n) {
        ASSERT_NO_FATAL_FAILURE(step()) << "step " << n;
        ASSERT_NO_FATAL_FAILURE(expectWhole()) << "step " << n;
    }
    w().TabResize();
    ASSERT_NO_FATAL_FAILURE(expectLaidOut());
    EXPECT_GT(loaded.size(), 20u);
}

} // namespace
