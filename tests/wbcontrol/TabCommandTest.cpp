// The host's page commands and address rule, and text dropped on a tab,
// delivered as the drag-and-drop events the window system sends.
#include "TabFixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

using namespace tk;

namespace {

// Tabs 0, 1, 2 on a 6000 × 5000 control; tab 2, the last opened, is selected.
using PageCommands = TabFixture;
using TabDrop = TabFixture;

TEST(AddressRule, OnlyTheAcceptedBeginningsGiveOne)
{
    const std::pair<QStringList, int16_t> rows[] = {
        {{"http://example.test/", "About:Blank", "FILE:///C:/page.html", "http://"}, 1},
        {{"HTTP://example.test/", "about:config", "https://example.test/", "www.example.test", "", "http:/",
          " http://x"},
         0}};
    for (const auto &[texts, expected] : rows)
        for (const QString &text : texts)
            EXPECT_EQ(WBControl::chkurl(text), expected) << text.toStdString();
}

TEST_F(PageCommands, GoToTheSelectedTabOnlyAndMissingHistoryIsSwallowed)
{
    make(6000, 2);
    EXPECT_NO_THROW(w().Goback()) << "a fresh tab has no history";
    EXPECT_NO_THROW(w().Goforward());
    w().RefreshPage();
    w().StopLink();
    EXPECT_EQ(browser(2).calls, (QStringList{"GoBack", "GoForward", "Refresh", "Stop"}));
    EXPECT_TRUE(browser(1).calls.isEmpty());

    browser(2).completeLoad(QStringLiteral("Two"));
    browser(1).completeLoad(QStringLiteral("One"));
    EXPECT_EQ(w().url(), QStringLiteral("http://example.test/1"));
    EXPECT_EQ(w().title(), QStringLiteral("Two"));

    // Writing the address navigates the selected tab, then reports "URL".
    QStringList changed;
    w().events.PropertyChanged = [&](const QString &name) {
        changed << name + " after " + browser(2).navigations.last();
    };
    w().seturl(QVariant(QStringLiteral("bare words")));
    EXPECT_EQ(changed, QStringList{"URL after bare words"});
    EXPECT_EQ(browser(1).navigations, QStringList{"http://example.test/0"});
    EXPECT_EQ(browser(0).navigations, QStringList{WBControl::startPage()});
}

// Drags data over a widget and drops it there as the system does: enter,
// move, drop. Returns the action the drag showed, then the drop's own.
std::pair<Qt::DropAction, Qt::DropAction> dropOn(const Control &target, const QMimeData &data)
{
    QWidget *widget = target.peer();
    const QPoint at = widget->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(widget, &move);
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return {enter.isAccepted() && move.isAccepted() ? move.dropAction() : Qt::IgnoreAction,
            drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction};
}

// What a drop does, whatever piece of a tab it lands on: text opens in that
// tab as it is (a script address excepted) and selects it; anything else,
// files with their paths as text too, changes nothing.
TEST_F(TabDrop, TextOpensInTheTabItIsDroppedOnAndSelectsItAndNothingElseDoes)
{
    make(6000, 2);
    QMimeData picture;
    picture.setImageData(QImage(8, 8, QImage::Format_RGB32));
    QMimeData files; // file managers send a file's path as text beside the file itself
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.html"))});
    files.setText(QStringLiteral("/tmp/a.html"));
    const std::pair<QString, bool> texts[] = {
        {QStringLiteral("http://dropped.test/"), true},
        {QStringLiteral("just words"), true}, // no scheme added
        {QStringLiteral("javascript:alert(1)"), false},
        {QStringLiteral("  JavaScript:alert(document.cookie)"), false},
        {QStringLiteral("\x01\t\n jAvA\tscr\nipt:void(0)"), false},
        {QStringLiteral("\u00a0\u3000javascript:x"), false},
        {QStringLiteral("javascript-notes.html"), true}, // only the scheme itself is refused
        {QString::fromUtf16(u"a\u0000b\u0007c\u001b", 6), true},
        {QString(1 << 20, QLatin1Char('x')), true},
    };
    for (int piece = 0; piece < 7; ++piece) {
        const Control *pieces[] = {&c().MTab(1),     &c().TIcon(1),   &c().Tstr(1), &c().bgLeft(1),
                                   &c().bgCenter(1), &c().bgRight(1), &c().Tcbt(1)};
        for (const auto &[text, opened] : texts) {
            SCOPED_TRACE(testing::Message() << "piece " << piece << ": " << text.left(40).toStdString());
            c().MTab(2).events.MouseDown(kLeftButton, 0, 0, 0);
            selections = 0;
            const qsizetype before = browser(1).navigations.size();
            QMimeData data;
            data.setText(text);
            EXPECT_EQ(dropOn(*pieces[piece], data), std::pair(Qt::CopyAction, Qt::CopyAction));
            EXPECT_EQ(browser(1).navigations.size(), before + opened);
            EXPECT_TRUE(!opened || browser(1).navigations.last() == text);
            expectOnlySelected(1, 1);
            for (const QMimeData *other : {&picture, &files})
                dropOn(*pieces[piece], *other);
            EXPECT_EQ(browser(1).navigations.size(), before + opened);
            expectOnlySelected(1);
        }
    }
    EXPECT_EQ(browser(2).navigations.size(), 1) << "the selected tab keeps its page";
    EXPECT_EQ(strip(), "0 2000 4000");
    DataObject data(&files);
    int32_t effect = 1;
    c().TIcon(1).events.OLEDragDrop(data, effect, kLeftButton, 0, 0, 0);
    EXPECT_EQ(effect, 0) << "files are refused";
}

} // namespace
