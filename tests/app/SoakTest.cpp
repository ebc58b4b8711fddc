// The shell on the fake browser under thousands of seeded random operations
// through its public and event surface; after every step the tab model must
// still be whole. TAVRIN_SOAK_SEED replays a run, TAVRIN_SOAK_STEPS sets its
// length.
#include "Form1.h"
#include "FormOpenUrl.h"
#include "ShellFixture.h"
#include "TabLayout.h"
#include "toolkit/EventBridge.h"
#include "toolkit/TkError.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <limits>
#include <random>
#include <set>
#include <string>

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
    void SetUp() override
    {
        ShellFixture::SetUp();
        EventBridge::setStoppedErrorHook([this](const TkError &e) { escape(e); });
        main().Show();
    }
    void TearDown() override
    {
        EventBridge::setStoppedErrorHook(nullptr);
        ShellFixture::TearDown();
    }

    static Form1 &main() { return *forms::Form1; }
    static WBControl &w() { return main().WBControl1; }
    static FakeBrowser &browser(int16_t i) { return static_cast<FakeBrowser &>(w().WB(i).browser()); }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float anywhere(float span) { return std::uniform_real_distribution<float>(-span, 2 * span)(rng); }
    template <class V> auto any(const V &v) { return v[size_t(pick(int(v.size())))]; }
    void escape(const std::exception &e) { ++escaped, lastEscape = e.what(); }

    // Runs one event handler as the toolkit would and counts what escapes it.
    template <class F> void handler(F &&f)
    {
        try {
            f();
        } catch (const std::exception &e) {
            escape(e);
        }
    }

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
        QString s;
        switch (pick(12)) {
        case 0:
            return {};
        case 1:
            return QString(pick(50) == 0 ? 1 << 20 : 1 << 12, QChar(u'a' + pick(26)));
        case 2:
            for (int k = pick(40); k > 0; --k)
                s += QChar(char16_t(pick(0x21)));
            return s;
        case 3:
            return QStringLiteral("javascript:alert(1)");
        case 4:
            return QStringLiteral(" \t\nJaVa\tScRiPt:void(0)");
        case 5:
            return QString(QChar(0)) + QStringLiteral("http://nul.test/") + QChar(0);
        case 6:
            return QStringLiteral("file:///nonexistent/%1").arg(pick(100));
        case 7:
            return QStringLiteral("about:blank");
        case 8:
            for (int k = pick(60); k > 0; --k)
                s += QChar(char16_t(1 + pick(0xD7FF)));
            return s;
        default:
            return QStringLiteral("http://example.test/%1").arg(pick(1000));
        }
    }

    IntrinsicControl &anyPiece(int16_t i)
    {
        switch (pick(7)) {
        case 0:
            return w().MTab(i);
        case 1:
            return w().bgLeft(i);
        case 2:
            return w().bgCenter(i);
        case 3:
            return w().bgRight(i);
        case 4:
            return w().TIcon(i);
        case 5:
            return w().Tstr(i);
        default:
            return w().Tcbt(i);
        }
    }

    void drop(int16_t i)
    {
        QMimeData mime;
        switch (pick(4)) {
        case 0:
            mime.setText(anyText());
            break;
        case 1:
            mime.setImageData(QImage(1 + pick(64), 1 + pick(64), QImage::Format_ARGB32));
            break;
        case 2:
            mime.setUrls({QUrl::fromLocalFile("/tmp/a b.html"), QUrl::fromLocalFile("/nonexistent")});
            break;
        default:
            break; // nothing the control knows
        }
        QWidget *piece = anyPiece(i).peer();
        QDropEvent ev(QPointF(pick(200) - 20, pick(40) - 5), Qt::CopyAction | Qt::MoveAction, &mime,
                      Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(piece, &ev);
    }

    void resize()
    {
        const std::pair<float, float> before{w().Width(), w().Height()};
        const float width = float(pick(60000)) - (pick(10) == 0 ? 30000 : 0);
        const float height = float(pick(20000)) - (pick(10) == 0 ? 10000 : 0);
        // A size the toolkit refuses is the caller's error; nothing changes.
        try {
            if (pick(2))
                w().Move(0, 0, width, height);
            else
                main().Move(main().Left(), main().Top(), width, height);
        } catch (const TkError &e) {
            EXPECT_EQ(e.number(), kInvalidPropertyValue);
            EXPECT_TRUE(width < 0 || height < 0);
        }
        laidOut = before != std::pair<float, float>{w().Width(), w().Height()};
    }

    // The open index highest but one below the limit, as a long session
    // would have it: the next opens go up to the limit and are refused past it.
    void nearTheLimit()
    {
        while (w().List2.ListCount() > 0)
            ASSERT_TRUE(w().NewWindow(QStringLiteral("http://reused.test/")).has_value());
        w().List1.AddItem(QString::number(kLast - 3));
        const std::optional<int16_t> n = w().NewWindow(QStringLiteral("http://high.test/"));
        w().List1.RemoveItem(int(w().List1.items().indexOf(QString::number(kLast - 3))));
        w().TabResize();
        ASSERT_EQ(n, std::optional<int16_t>(kLast - 2));
        ASSERT_EQ(w().NewWindow(QStringLiteral("http://high.test/1")), std::optional<int16_t>(kLast - 1));
        ASSERT_EQ(w().NewWindow(QStringLiteral("http://high.test/2")), std::optional<int16_t>(kLast));
        const QStringList before = w().List1.items();
        const int16_t selected = w().CurrentTab;
        ASSERT_FALSE(w().NewWindow(QStringLiteral("http://high.test/3")).has_value());
        bool cancel = false;
        ASSERT_EQ(browser(kLast - 2).fireNewWindow2(&cancel), nullptr);
        ASSERT_EQ(w().List1.items(), before);
        ASSERT_EQ(w().CurrentTab, selected);
        ++refused;
    }

    void dialog()
    {
        const bool loaded = forms::FormOpenUrl.isLoaded();
        switch (pick(3)) {
        case 0:
            handler([] { main().CommandOpenURL_Click(); });
            break;
        case 1:
            if (loaded) {
                forms::FormOpenUrl->Text1.setText(anyText().left(2000));
                QTest::keyClick(forms::FormOpenUrl->Text1.edit(), Qt::Key_Return);
            }
            break;
        default:
            if (loaded)
                QTest::keyClick(forms::FormOpenUrl->Text1.edit(), Qt::Key_Escape);
        }
        FormInstanceBase::flushUnloaded();
    }

    void pageCommand()
    {
        const int16_t i = any(tabsIn());
        handler([&] { w().MTab(i).events.MouseDown(kLeftButton, 0, 10, 10); });
        switch (pick(9)) {
        case 0:
            w().RefreshPage();
            break;
        case 1:
            w().StopLink();
            break;
        case 2:
            w().Goback();
            break;
        case 3:
            w().Goforward();
            break;
        case 4:
            w().seturl(anyText());
            break;
        case 5:
            (void)w().url(), (void)w().title();
            break;
        case 6:
            w().zoom(pick(3) - 1);
            break;
        case 7:
            w().selectAdjacentTab(pick(2) ? 1 : -1);
            break;
        default:
            w().closeSelectedTab();
            break;
        }
    }

    void step()
    {
        laidOut = false;
        const int16_t open = any(tabsIn()), loaded = any(tabsIn(true));
        const int op = pick(100);
        bool cancel = false;
        if (op < 14) {
            what = "open";
            if (w().List1.ListCount() < 40 || pick(4) == 0)
                handler([&] { refused += !w().NewWindow(anyText()).has_value(); });
        } else if (op < 28) {
            what = "close button"; // on any tab: tab 0's and a closed tab's refuse
            const int16_t b = pick(3) ? int16_t(kLeftButton) : int16_t(1 << pick(3));
            ControlEvents &e = w().Tcbt(loaded).events;
            for (auto *event : {&e.MouseDown, &e.MouseMove, &e.MouseUp})
                handler([&] { (*event)(b, 0, anywhere(225), anywhere(210)); });
        } else if (op < 46) {
            what = "strip mouse";
            const int16_t b = int16_t(pick(8));
            ControlEvents &e = anyPiece(open).events;
            const float x = anywhere(3000), y = anywhere(420);
            handler([&] {
                raise(pick(2) ? e.MouseDown : pick(2) ? e.MouseMove : e.MouseUp, b, int16_t(pick(8)), x, y);
            });
        } else if (op < 54) {
            what = "drop";
            drop(open);
        } else if (op < 59) {
            what = "resize";
            resize();
        } else if (op < 69) {
            what = "title"; // as the fake's fire* would, with nothing between it and the count of escapes
            const QString title = anyText();
            handler([&] { raise(browser(loaded).events.TitleChange, title); });
        } else if (op < 74) {
            what = "load";
            handler([&] { browser(loaded).completeLoad(anyText().left(300)); });
        } else if (op < 80) {
            what = "page closes";
            handler([&] { raise(browser(loaded).events.WindowClosing, pick(2) == 0, cancel); });
        } else if (op < 86) {
            what = "new-window request";
            WebBrowser *page = nullptr;
            if (w().List1.ListCount() < 40 || pick(4) == 0)
                handler([&] { raise(browser(loaded).events.NewWindow2, page, cancel); });
        } else if (op < 92) {
            what = "dialog";
            dialog();
        } else if (op < 95) {
            what = "full screen";
            const bool on = pick(3) != 0;
            handler([&] { raise(browser(loaded).events.FullScreenRequested, on, cancel); });
            if (pick(4) == 0)
                handler([] { w().LeaveFullScreen(); });
        } else {
            what = "page command";
            pageCommand();
        }
    }

    void expectWhole()
    {
        std::multiset<int16_t> seen;
        for (const int16_t i : tabsIn(true))
            seen.insert(i);
        for (const QString &item : w().List1.items() + w().List2.items()) {
            const int v = item.toInt();
            ASSERT_TRUE(v > 0 && v <= kLast && item == QString::number(v)) << "item " << item.toStdString();
        }
        ASSERT_EQ(std::set<int16_t>(seen.begin(), seen.end()).size(), seen.size())
            << "an index in two places";
        ASSERT_EQ(size_t(w().MTab.count()), seen.size()) << "a tab in no list";
        ASSERT_EQ(size_t(w().WB.count()), seen.size());
        const std::vector<int16_t> open = tabsIn();
        const std::set<int16_t> openSet(open.begin(), open.end());
        ASSERT_TRUE(openSet.count(w().CurrentTab)) << "selected tab " << w().CurrentTab << " not open";
        if (const std::optional<int16_t> full = w().fullScreenTab()) {
            ASSERT_EQ(*full, w().CurrentTab) << "only the selected tab's page fills the screen";
        }
        for (int16_t i : seen) {
            ASSERT_TRUE(w().MTab.exists(i)) << i;
            ASSERT_EQ(w().MTab(i).Visible(), openSet.count(i) != 0) << i;
            ASSERT_EQ(w().WBCnt(i).Visible(), i == w().CurrentTab) << i;
        }
        // Each open tab right of the one before, but the last, which after a
        // reuse keeps its provisional place (right of tab 0) until the next layout.
        for (size_t p = 1; p + 1 < open.size(); ++p)
            ASSERT_GT(w().MTab(open[p]).Left(), w().MTab(open[p - 1]).Left()) << "position " << p;
        ASSERT_GE(w().MTab(open.back()).Left(), w().MTab(0).Left());
        const int16_t width = wbcontrol::tabWidth(w().Width(), int(open.size()));
        for (size_t p = 0; p < open.size(); ++p) {
            ASSERT_GT(w().MTab(open[p]).Width(), 0) << open[p];
            if (laidOut) {
                ASSERT_EQ(w().MTab(open[p]).Width(), width) << "position " << p << " in " << w().Width();
                ASSERT_EQ(w().MTab(open[p]).Left(), float(double(p) * width)) << "position " << p;
            }
        }
    }

    std::mt19937 rng;
    std::string what;     // the last step's kind
    int refused = 0;      // opens past the index limit
    bool laidOut = false; // the last step laid the strip out anew
    int escaped = 0;
    std::string lastEscape;
};

TEST_F(Soak, RandomUseKeepsTheTabModelWhole)
{
    const unsigned long seed = envNumber("TAVRIN_SOAK_SEED", 20261206);
    const int steps = int(envNumber("TAVRIN_SOAK_STEPS", 20000));
    rng.seed(seed);
    const std::string replay = "replay with TAVRIN_SOAK_SEED=" + std::to_string(seed);
    for (int n = 0; n < steps; ++n) {
        if (n == steps / 3)
            what = "near the limit";
        ASSERT_NO_FATAL_FAILURE(n == steps / 3 ? nearTheLimit() : step()) << "step " << n << ", " << replay;
        ASSERT_EQ(escaped, 0) << "step " << n << ": " << lastEscape << ", " << replay;
        ASSERT_NO_FATAL_FAILURE(expectWhole()) << "step " << n << " (" << what << "), " << replay;
        ASSERT_FALSE(HasFailure()) << "step " << n << ", " << replay;
    }
    EXPECT_TRUE(w().MTab.exists(kLast)) << "the limit was reached";
    EXPECT_GT(refused, 0) << "and opens past it refused";
    std::cout << "soak: " << steps << " steps, seed " << seed << ", " << w().MTab.count() << " tabs made, "
              << refused << " opens refused\n";
}

} // namespace
