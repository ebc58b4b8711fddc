// What the host hears of each tab's browser: the fake's scripted loads, in
// the component's order, come out as the control's events with the tab's index.
#include "TabFixture.h"

using namespace tk;

namespace {

// Tabs 1 and 2 open on a 6000 × 5000 control, tab 2 selected, and a host
// that writes down every event it hears.
class BrowserEvents : public TabFixture {
protected:
    void SetUp() override
    {
        make(6000, 2);
        auto &e = w().events;
        const auto text = [](const QVariant &v) {
            return v.typeId() == QMetaType::QString ? v.toString() : "<not text>";
        };
        const auto note = [this](const QString &name, int16_t i, const QString &rest) {
            heard << QStringLiteral("%1 %2 %3").arg(name).arg(i).arg(rest);
        };
        e.URLChang = [=, this](int16_t &i, QString &url) { note("URLChang", i, url); };
        e.ProgressChange = [=, this](int16_t &i, int32_t p, int32_t max) {
            note("ProgressChange", i, QStringLiteral("%1 %2").arg(p).arg(max));
        };
        // Raised before the selected tab's browser is resized.
        e.DownloadComplete = [=, this](int16_t &i) {
            note("DownloadComplete", i,
                 "browser " + QString::fromStdString(geometry(c().WB(w().CurrentTab))));
        };
        e.PropertyChange = [=, this](int16_t &i, const QString &p) { note("PropertyChange", i, p); };
        e.DownloadBegin = [=, this](int16_t &i, QVariant &url) { note("DownloadBegin", i, text(url)); };
        e.NavigateComplete2 = [=, this](int16_t &i, WebBrowser *pDisp, QVariant &url) {
            note("NavigateComplete2", i, (pDisp == &browser(i) ? "itself " : "another browser ") + text(url));
        };
        e.TitleChange = [=, this](int16_t &i, const QString &t) { note("TitleChange", i, t); };
        // The page's dialogs are already off when the host hears of it.
        e.BeforeNavigate2 = [=, this](int16_t &i, QVariant &url) {
            note("BeforeNavigate2", i, text(url) + (browser(i).Silent() ? " silent" : " not silent"));
        };
    }
    std::string log() const { return heard.join('\n').toStdString(); }
    QStringList heard;
};

TEST_F(BrowserEvents, ABackgroundTabsLoadReachesTheHostInOrderAndResizesTheSelectedBrowser)
{
    // Every tab is silent from the moment it exists: a script address begins
    // no navigation, and a page keeps its dialogs to itself before any.
    EXPECT_TRUE(browser(0).Silent() && browser(1).Silent() && browser(2).Silent());
    browser(1).setSilent(false); // as a host may have set it
    browser(1).completeLoad(QStringLiteral("Page one"));
    EXPECT_EQ(log(), "BeforeNavigate2 1 http://example.test/0 silent\n"
                     "DownloadBegin 1 http://example.test/0\n"
                     "ProgressChange 1 50 100\n"
                     "NavigateComplete2 1 itself http://example.test/0\n"
                     "TitleChange 1 Page one\n" // no new address while the page loads
                     "ProgressChange 1 -1 100\n"
                     "DownloadComplete 1 browser -20 -20 6040 4560");
    EXPECT_EQ(std::tuple(browser(1).Silent(), c().Tstr(1).Caption(), w().CurrentTab),
              std::tuple(true, "Page one", 2));
    EXPECT_EQ(geometry(c().WB(2)) + " | " + geometry(c().WB(1)), "-20 -20 6045 4540 | -20 -20 6040 4560")
        << "the selected tab's browser resized, whichever tab loaded";
}

TEST_F(BrowserEvents, ATitleChangeAfterTheLoadBringsTheAddressFirstEvenWithoutATitle)
{
    browser(2).completeLoad(QStringLiteral("Page two"));
    heard.clear();
    browser(2).fireTitleChange(QStringLiteral("Renamed"));
    browser(2).fireTitleChange(QString());
    EXPECT_EQ(log(), "URLChang 2 http://example.test/1\nTitleChange 2 Renamed\n"
                     "URLChang 2 http://example.test/1\nTitleChange 2 ");
    EXPECT_EQ(c().Tstr(2).Caption() + " " + w().tabs().title(2), "Renamed Renamed")
        << "an empty title leaves the caption";
}

} // namespace
