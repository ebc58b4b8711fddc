// What the host hears of each tab's browser: the fake's scripted loads, in
// the component's order, come out as the control's events with the tab's
// index.
#include "TabFixture.h"

#include <QVariant>

using namespace tk;

namespace {

// Tabs 1 and 2 open on a 6000 × 5000 control, tab 2 selected, and a host
// that writes down every event it hears.
class BrowserEvents : public TabFixture {
protected:
    void SetUp() override
    {
        TabFixture::SetUp();
        w().Move(0, 0, 6000, 5000);
        open(2);
        listen();
    }

    static QString text(const QVariant &v)
    {
        return v.typeId() == QMetaType::QString ? v.toString() : QStringLiteral("<not text>");
    }

    void listen()
    {
        WBControl &c = w();
        c.events.URLChang = [this](int16_t &i, QString &url) { heard << QStringLiteral("URLChang %1 %2").arg(i).arg(url); };
        c.events.ProgressChange = [this](int16_t &i, int32_t p, int32_t max) {
            heard << QStringLiteral("ProgressChange %1 %2 %3").arg(i).arg(p).arg(max);
        };
        // Raised before the selected tab's browser is resized.
        c.events.DownloadComplete = [this](int16_t &i) {
            heard << QStringLiteral("DownloadComplete %1, browser %2")
                         .arg(i)
                         .arg(QString::fromStdString(geometry(w().WB(w().CurrentTab))));
        };
        c.events.PropertyChange = [this](int16_t &i, const QString &p) {
            heard << QStringLiteral("PropertyChange %1 %2").arg(i).arg(p);
        };
        c.events.DownloadBegin = [this](int16_t &i, QVariant &url) {
            heard << QStringLiteral("DownloadBegin %1 %2").arg(i).arg(text(url));
        };
        c.events.NavigateComplete2 = [this](int16_t &i, WebBrowser *pDisp, QVariant &url) {
            heard << QStringLiteral("NavigateComplete2 %1 %2 %3")
                         .arg(i)
                         .arg(pDisp == &browser(i) ? "itself" : "another browser")
                         .arg(text(url));
        };
        c.events.TitleChange = [this](int16_t &i, const QString &t) {
            heard << QStringLiteral("TitleChange %1 %2").arg(i).arg(t);
        };
        // The page's dialogs are already off when the host hears of it.
        c.events.BeforeNavigate2 = [this](int16_t &i, QVariant &url) {
            heard << QStringLiteral("BeforeNavigate2 %1 %2 %3")
                         .arg(i)
                         .arg(text(url))
                         .arg(browser(i).Silent() ? "silent" : "not silent");
        };
    }

    // What the host heard, one event a line.
    std::string log() const { return heard.join('\n').toStdString(); }

    QStringList heard;
};

TEST_F(BrowserEvents, ABackgroundTabsLoadReachesTheHostInOrderAndResizesTheSelectedBrowser)
{
    browser(1).setSilent(false); // as a host may have set it
    browser(1).completeLoad(QStringLiteral("Page one"));
    EXPECT_EQ(log(), "BeforeNavigate2 1 http://example.test/0 silent\n"
                     "DownloadBegin 1 http://example.test/0\n"
                     "ProgressChange 1 50 100\n"
                     "NavigateComplete2 1 itself http://example.test/0\n"
                     "TitleChange 1 Page one\n" // no new address while the page loads
                     "ProgressChange 1 -1 100\n"
                     "DownloadComplete 1, browser -20 -20 6040 4560");
    EXPECT_TRUE(browser(1).Silent());
    EXPECT_EQ(w().Tstr(1).Caption(), QStringLiteral("Page one"));
    EXPECT_EQ(geometry(w().WB(2)), "-20 -20 6045 4540") << "the selected tab's, whichever tab loaded";
    EXPECT_EQ(geometry(w().WB(1)), "-20 -20 6040 4560");
    EXPECT_EQ(w().CurrentTab, 2);
}

TEST_F(BrowserEvents, ATitleChangeAfterTheLoadBringsTheAddressFirstEvenWithoutATitle)
{
    browser(2).completeLoad(QStringLiteral("Page two"));
    heard.clear();
    browser(2).fireTitleChange(QStringLiteral("Renamed"));
    browser(2).fireTitleChange(QString());
    EXPECT_EQ(log(), "URLChang 2 http://example.test/1\n"
                     "TitleChange 2 Renamed\n"
                     "URLChang 2 http://example.test/1\n"
                     "TitleChange 2 ");
    EXPECT_EQ(w().Tstr(2).Caption(), QStringLiteral("Renamed")) << "an empty title leaves the caption";
    EXPECT_EQ(w().MTab(2).Tag(), QStringLiteral("Renamed"));
}

} // namespace

// A script address begins no navigation: a page keeps its dialogs to itself
// before any navigation has been reported.
TEST_F(TabFixture, EveryTabIsSilentFromTheMomentItExists)
{
    EXPECT_TRUE(browser(0).Silent());
    EXPECT_TRUE(browser(open(2)).Silent());
    EXPECT_TRUE(browser(1).Silent());
}
