// The scripted browser raises its events through the component's one error
// boundary, as the engine does.
#include "browser/fake/FakeBrowser.h"

#include <gtest/gtest.h>

using namespace tk;

TEST(FakeBrowser, ToolkitErrorsFromHandlersStopAtTheComponentAndAnswersSetBeforeThemStand)
{
    FakeBrowser b;
    QStringList seen;
    auto &e = b.events;
    const auto fail = [] { throw TkError(kInvalidPropertyValue); };
    e.BeforeNavigate2 = [&](const QString &, bool &) {
        seen << "BeforeNavigate2";
        fail();
    };
    e.DownloadBegin = [&] {
        seen << "DownloadBegin";
        fail();
    };
    e.ProgressChange = [&](int32_t p, int32_t) {
        seen << QString::number(p);
        fail();
    };
    e.NavigateComplete2 = [&](WebBrowser *, const QString &) {
        seen << "NavigateComplete2";
        fail();
    };
    e.TitleChange = [&](const QString &t) {
        seen << t;
        fail();
    };
    e.DownloadComplete = [&] {
        seen << "DownloadComplete";
        fail();
    };
    e.WindowClosing = [&](bool, bool &cancel) {
        cancel = true;
        fail();
    };
    e.NewWindow2 = [&](WebBrowser *&ppDisp, bool &) {
        ppDisp = &b;
        fail();
    };

    b.Navigate(QStringLiteral("http://example.test/"));
    b.completeLoad(QStringLiteral("Example"));
    EXPECT_EQ(seen, (QStringList{"BeforeNavigate2", "DownloadBegin", "50", "NavigateComplete2", "Example",
                                 "-1", "DownloadComplete"}));
    EXPECT_FALSE(b.Busy());
    EXPECT_TRUE(b.fireWindowClosing(false));
    EXPECT_EQ(b.fireNewWindow2(), &b);
}
