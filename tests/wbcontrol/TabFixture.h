#pragma once
// A WBControl on the fake browser, with the host's view of its strip as text.

#include "Geometry.h"
#include "WBControl.h"
#include "browser/fake/FakeBrowser.h"

#include <gtest/gtest.h>

class TabFixture : public ::testing::Test {
protected:
    void SetUp() override { make(); }

    // A new control on a fresh fake browser (which fails after failAfter browsers), moved to width × height
    // twips when given a width, with count tabs opened and SelectTab counted from there.
    void make(float width = 0, int count = 0, float height = 5000, int failAfter = -1)
    {
        control.reset();
        tk::FakeBrowser::install(failAfter);
        control = std::make_unique<WBControl>(nullptr);
        control->events.SelectTab = [this] { ++selections; };
        if (width > 0)
            w().Move(0, 0, width, height);
        open(count);
        selections = 0;
    }

    WBControl &w() { return *control; }
    WBControl::Parts c() { return control->parts(); }
    tk::FakeBrowser &browser(int16_t i) { return static_cast<tk::FakeBrowser &>(c().WB(i).browser()); }

    // Opens count tabs, each on its own address; returns the last index.
    int16_t open(int count = 1)
    {
        int16_t last = -1;
        for (int k = 0; k < count; ++k)
            EXPECT_GE(last = w().NewWindow(QStringLiteral("http://example.test/%1").arg(k)).value_or(-1), 0);
        return last;
    }

    // Tab 0 and then List1, in strip order.
    std::vector<int16_t> openTabs()
    {
        std::vector<int16_t> tabs{0};
        for (const QString &item : c().List1.items())
            tabs.push_back(int16_t(item.toInt()));
        return tabs;
    }

    // The left edges of the open tabs in strip order: "0 1500 3000".
    std::string strip()
    {
        QStringList row;
        for (int16_t i : openTabs())
            row << QString::number(c().MTab(i).Left());
        return row.join(' ').toStdString();
    }

    static std::string items(const tk::ListBox &list) { return list.items().join(' ').toStdString(); }

    // The host's view in one line: "open 1 3 | closed 2 | tab 3".
    std::string tabs()
    {
        return "open " + items(c().List1) + " | closed " + items(c().List2) + " | tab " +
               std::to_string(w().CurrentTab);
    }

    // Which of the three looks a tab wears: 0 selected, 1 normal, 2 hover.
    int skinOf(int16_t i)
    {
        const std::array<const tk::Image *, 9> sources{&w().TLeft0, &w().TCenter0, &w().TRight0,
                                                       &w().TLeft1, &w().TCenter1, &w().TRight1,
                                                       &w().TLeft2, &w().TCenter2, &w().TRight2};
        for (size_t state = 0; state < 3; ++state)
            if (c().bgLeft(i).picture() == sources[3 * state]->picture() &&
                c().bgCenter(i).picture() == sources[3 * state + 1]->picture() &&
                c().bgRight(i).picture() == sources[3 * state + 2]->picture())
                return int(state);
        return -1;
    }

    // Every tab made so far shows what the model says: a tab body only when
    // on the strip; the page, the selected look and (but tab 0) the close
    // button only when selected. Given a count, SelectTab was raised as often.
    void expectOnlySelected(int16_t selected, int raised = -1)
    {
        EXPECT_EQ(w().CurrentTab, selected);
        EXPECT_TRUE(raised < 0 || selections == raised) << selections << " SelectTab events";
        const std::vector<int16_t> strip = openTabs();
        for (int16_t i = 0; i < 64; ++i) {
            if (!c().MTab.exists(i))
                continue;
            const bool onStrip = std::find(strip.begin(), strip.end(), i) != strip.end(), on = i == selected;
            EXPECT_EQ(std::tuple(c().MTab(i).Visible(), onStrip ? skinOf(i) : !on, c().WBCnt(i).Visible(),
                                 c().Tcbt(i).Visible()),
                      std::tuple(onStrip, int(!on), on, on && i != 0))
                << "tab " << i;
        }
    }

    // Which close-button picture a tab shows: 0, 1, 2, or -1 for another.
    int closeButtonOf(int16_t i)
    {
        const tk::Picture &p = c().Tcbt(i).picture();
        return p == w().tc0.picture() ? 0 : p == w().tc1.picture() ? 1 : p == w().tc2.picture() ? 2 : -1;
    }

    std::unique_ptr<WBControl> control;
    int selections = 0;
};
