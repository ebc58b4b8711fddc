// Strip layout and caption fitting. The test set-up's caption font is 6
// pixels (90 twips) wide for a Latin character, 12 (180) for a Chinese one.
#include "TabFixture.h"
#include "Wait.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QWidget>

using namespace tk;

namespace {

using Layout = TabFixture;
using Captions = TabFixture;

const QString kTwenty = QStringLiteral("abcdefghijklmnopqrst"); // 1800 twips

TEST_F(Layout, TabZeroStartsSelectedOnTheStartPageAt60UntilTheHostSizesIt)
{
    expectOnlySelected(0);
    EXPECT_EQ(browser(0).navigations, QStringList{WBControl::startPage()});
    EXPECT_EQ(tabs() + (browser(0).Busy() ? " busy at " : " idle at ") + geometry(c().MTab(0)),
              "open  | closed  | tab 0 busy at 60 0 2700 420");
}

// Width, tabs opened, then the strip and the last tab's centre, right skin and close button; its left skin
// and icon stay where they are.
TEST_F(Layout, TabsShareTheWidthUpTo2700WithHalvesRoundedToEven)
{
    const std::tuple<float, int, const char *, const char *> rows[] = {
        {8000, 0, "0", "120 0 2460 420 | 2580 0 120 420 | 2415 105 225 210"},
        {6000, 3, "0 1500 3000 4500", "120 0 1260 420 | 1380 0 120 420 | 1215 105 225 210"},
        {5001, 1, "0 2500", "120 0 2260 420 | 2380 0 120 420 | 2215 105 225 210"},
        {5003, 1, "0 2502", "120 0 2262 420 | 2382 0 120 420 | 2217 105 225 210"},
        {70000, 1, "0 2700", "120 0 2460 420 | 2580 0 120 420 | 2415 105 225 210"}, // past 16 bits each
    };
    for (const auto &[width, opened, edges, pieces] : rows) {
        SCOPED_TRACE(width);
        make(width, opened);
        const auto last = int16_t(opened);
        w().TabResize();
        EXPECT_EQ(strip() + " | " + geometry(c().bgLeft(last)) + " | " + geometry(c().TIcon(last)),
                  std::string(edges) + " | 0 0 120 420 | 60 90 240 240");
        EXPECT_EQ(geometry(c().bgCenter(last)) + " | " + geometry(c().bgRight(last)) + " | " +
                      geometry(c().Tcbt(last)),
                  pieces);
    }
}

// The focus goes to the selected page, also when the page that had it closes or its tab is left.
TEST_F(Layout, TakingTheFocusHandsItToTheSelectedPage)
{
    w().Move(0, 0, 6000, 4000);
    w().peer()->show();
    w().peer()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w().peer()));
    const auto focusIn = [&](int16_t i) { return waitFor([&] { return c().WB(i).peer()->hasFocus(); }); };
    w().SetFocus();
    ASSERT_TRUE(focusIn(0));
    QLineEdit elsewhere(w().peer()); // not the next control to take the focus
    elsewhere.show();
    for (int way = 0; way < 2; ++way) {
        open(1);
        c().WB(1).SetFocus();
        ASSERT_TRUE(focusIn(1));
        if (way == 0)
            browser(1).fireWindowClosing(true);
        else
            QTest::mouseClick(c().MTab(0).peer(), Qt::LeftButton);
        EXPECT_EQ(w().CurrentTab, 0);
        EXPECT_TRUE(focusIn(0)) << way;
    }
}

TEST_F(Layout, TooManyTabsKeep1000AndRunPastTheRightEdgeAndPast32767)
{
    make(6000, 40);
    const std::vector<int16_t> tabs = openTabs();
    ASSERT_EQ(tabs.size(), 41u);
    for (size_t p = 0; p < tabs.size(); ++p)
        EXPECT_EQ(std::tuple(c().MTab(tabs[p]).Left(), c().bgRight(tabs[p]).Left()),
                  std::tuple(1000.0f * p, 880.0f))
            << "position " << p;
}

TEST_F(Captions, FitTheTabWidthAndGrowBackWhenTabsWiden)
{
    w().Move(0, 0, 8000, 5000);
    browser(0).fireTitleChange(kTwenty);
    EXPECT_EQ(geometry(c().Tstr(0)), "320 120 1800 180") << "2100 twips of room";
    // The width shown is measured in the font it is shown in; the full title is kept.
    const std::tuple<float, const char *, float> rows[] = {
        {2000, "abcdefghij...", 1170},
        {1500, "abcdefg...", 900},
        {1200, "abc...", 540}, // the shortest cut that keeps more than one character
        {1000, "a...", 360},
        {8000, "abcdefghijklmnopqrst", 1800}};
    for (const auto &[width, caption, shown] : rows) {
        w().setWidth(width);
        EXPECT_EQ(c().Tstr(0).Caption() + " " + QString::number(c().Tstr(0).Width()) + " " +
                      w().tabs().title(0),
                  QStringLiteral("%1 %2 %3").arg(caption).arg(shown).arg(kTwenty))
            << width;
    }
    c().Tstr(0).Move(1, 2);
    browser(0).fireTitleChange(kTwenty);
    EXPECT_EQ(geometry(c().Tstr(0)), "1 2 1800 180") << "an unchanged caption stays where it is";
}

TEST_F(Captions, ABlankPageInAnyLetterCaseIsCaptionedAsSuch)
{
    w().Move(0, 0, 8000, 5000);
    for (const QString &blank : {QStringLiteral("about:BLANK"), QStringLiteral("About:Blank")}) {
        const int16_t n = w().NewWindow(blank).value();
        browser(n).fireTitleChange(QStringLiteral("whatever the page says"));
        EXPECT_EQ(c().Tstr(n).Caption(), QStringLiteral("空白页")) << blank.toStdString();
        EXPECT_EQ(w().tabs().title(n), QStringLiteral("空白页"));
    }
    w().setWidth(1000); // too narrow even for three characters
    EXPECT_EQ(c().Tstr(2).Caption(), QStringLiteral("空..."));
}

// The pieces' rules apart from any control: halves kept, sizes as given.
TEST(TabPieces, KeepHalvesAndTheSizesTheyAreGivenAndBeforeTheFirstLayoutCentreTheCaption)
{
    using namespace wbcontrol;
    const std::pair<Rect, const char *> rows[] = {
        {iconRect(kTabHeight, {16, 15}), "60 202.5 16 15"},
        {iconRect(421, {240, 240}), "60 90.5 240 240"}, // the tab's own height
        {captionRect(kTabHeight, {1801, 181}), "320 119.5 1801 181"},
        {closeButtonRect({2501, 421}, {224, 211}), "2217 105 224 211"},
        {centredCaptionRect({2700, kTabHeight}, {810, 180}), "945 120 810 180"},
        {centredCaptionRect({2700, kTabHeight}, {361, 181}), "1169.5 119.5 361 181"},
        {startIconRect(kTabHeight, {240, 240}), "60 110 240 240"}, // tab 0's icon, lower
    };
    for (const auto &[r, row] : rows)
        EXPECT_EQ(
            QStringLiteral("%1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.width).arg(r.height).toStdString(),
            row);
}

// Resting on any piece of a tab shows where its page is from: its whole
// title, taken as text, and its address, as they change.
TEST_F(Captions, ATabsTipShowsItsWholeTitleAndItsAddress)
{
    w().setWidth(3000); // the captions are cut short
    const int16_t n = open();
    const auto tipOver = [](Control &piece) {
        QHelpEvent rest(QEvent::ToolTip, QPoint(1, 1), piece.peer()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(piece.peer(), &rest);
        return QTextDocumentFragment::fromHtml(QToolTip::text())
            .toPlainText()
            .replace(QChar::LineSeparator, '\n');
    };
    const QString data = "data:text/plain," + QString(5000, 'x'), here = "http://example.test/0";
    const std::tuple<QString, QString, QString> rows[] = {
        // Where the page goes, its title, the tip.
        {here, kTwenty + kTwenty, kTwenty + kTwenty + "\n" + here},
        {here, "<b>not bold</b> & <i>", "<b>not bold</b> & <i>\n" + here},
        {"http://example.test/?a=1&b=<2>", "Next", "Next\nhttp://example.test/?a=1&b=<2>"},
        {"about:blank", "whatever", QStringLiteral("空白页\nabout:blank")},
        {data, "Data", "Data\n" + data.left(1000) + QChar(0x2026)}, // megabytes of it would say no more
    };
    for (const auto &[address, title, tip] : rows) {
        browser(n).Navigate(address);
        browser(n).completeLoad(title);
        for (Control *piece : std::initializer_list<Control *>{&c().Tstr(n), &c().bgCenter(n), &c().TIcon(n)})
            EXPECT_EQ(tipOver(*piece), tip);
    }
    QToolTip::hideText();
}

} // namespace
