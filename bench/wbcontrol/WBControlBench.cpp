// The tab strip's layout with many titled tabs, fitting new titles, and
// opening and closing tabs, on the fake browser.
#include "WBControl.h"
#include "browser/fake/FakeBrowser.h"

#include <benchmark/benchmark.h>

namespace {

tk::FakeBrowser &browserOf(WBControl &w, int16_t i)
{
    return static_cast<tk::FakeBrowser &>(w.parts().WB(i).browser());
}

QString longTitle(int k)
{
    return QStringLiteral("第%1个网页的标题 A long page title").arg(k);
}

// 33 open tabs whose titles are all too long for their tabs.
void openTitledTabs(WBControl &w, int others)
{
    browserOf(w, 0).fireTitleChange(QStringLiteral("起始页 The start page of the browser"));
    for (int k = 1; k <= others; ++k) {
        const int16_t n = w.NewWindow(QStringLiteral("http://example.test/%1").arg(k)).value();
        browserOf(w, n).fireTitleChange(longTitle(k));
    }
}

// At 13425 twips (the main window's control) every tab is 1000 wide and every
// candidate is tried; at 60000 the tabs are 1818 wide and fitting stops part
// way. "alternate" switches between the two at every layout, so every tab's
// width and caption change each time.
// The control without its own layout on a size change: only TabResize is
// measured.
class StripOnly : public WBControl {
public:
    using WBControl::WBControl;

protected:
    void onResize() override {}
};

void TabResize33(benchmark::State &state)
{
    tk::FakeBrowser::install();
    StripOnly w(nullptr);
    w.Move(0, 0, 13425, 8590);
    openTitledTabs(w, 32);
    const bool alternate = state.range(0) == 0;
    const float width = alternate ? 13425 : float(state.range(0));
    w.setWidth(width);
    bool wide = false;
    for (auto _ : state) {
        if (alternate)
            w.setWidth((wide = !wide) ? 60000 : 13425);
        w.TabResize();
        benchmark::DoNotOptimize(w.parts().Tstr(32).Caption().size());
    }
}

// Titles never seen before: every candidate is measured by text shaping.
void FitNewTitles33(benchmark::State &state)
{
    tk::FakeBrowser::install();
    WBControl w(nullptr);
    w.Move(0, 0, 13425, 8590);
    openTitledTabs(w, 32);
    int serial = 1000;
    for (auto _ : state) {
        for (int16_t i = 0; i <= 32; ++i)
            browserOf(w, i).fireTitleChange(longTitle(++serial));
    }
}

// A tab opened and closed again: after the first round the closed tab is
// reused, as it is in use. Each opening with other tabs lays the strip out.
void OpenCloseCycle(benchmark::State &state)
{
    tk::FakeBrowser::install();
    WBControl w(nullptr);
    w.Move(0, 0, 13425, 8590);
    openTitledTabs(w, int(state.range(0)));
    for (auto _ : state) {
        const int16_t n = w.NewWindow(QStringLiteral("http://example.test/")).value();
        browserOf(w, n).fireWindowClosing(false);
    }
}

// The first opening of tabs: a control and ten tabs' controls and browsers.
void OpenTenNewTabs(benchmark::State &state)
{
    tk::FakeBrowser::install();
    for (auto _ : state) {
        WBControl w(nullptr);
        w.Move(0, 0, 13425, 8590);
        for (int k = 0; k < 10; ++k)
            benchmark::DoNotOptimize(w.NewWindow(QStringLiteral("http://example.test/")));
    }
}

} // namespace

BENCHMARK(TabResize33)->ArgName("width")->Arg(13425)->Arg(60000)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(FitNewTitles33)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenCloseCycle)->ArgName("open")->Arg(0)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenTenNewTabs)->Unit(benchmark::kMicrosecond);
