// The host's page commands and address rule, and text dropped on a tab,
// delivered as the drag-and-drop events the window system sends.
#include "TabFixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

using namespace tk;

namespace {

// Tabs 0, 1, 2 on a 6000 × 5000 control; tab 2, the last opened, is selected.
class Tabs : public TabFixture {
protected:
    void SetUp() override
    {
        make();
        w().Move(0, 0, 6000, 5000);
        open(2);
        selections = 0;
    }
};

using PageCommands = Tabs;
using TabDrop = Tabs;

TEST(AddressRule, OnlyTheAcceptedBeginningsGiveOne)
{
    const std::pair<const char *, int16_t> cases[] = {
        {"http://example.test/", 1},  {"HTTP://example.test/", 0}, {"Http://x", 0},
        {"About:Blank", 1},           {"ABOUT:BLANK", 1},          {"about:config", 0},
        {"FILE:///C:/page.html", 1},  {"file://host/x", 1},        {"https://example.test/", 0},
        {"www.example.test", 0},      {"word", 0},                 {"", 0},
        {"http:/", 0},                {"http://", 1},              {" http://x", 0},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(WBControl::chkurl(QString::fromUtf8(text)), expected) << text;
}

TEST_F(PageCommands, GoToTheSelectedTabOnlyAndMissingHistoryIsSwallowed)
{
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

// Drags data over a widget and drops it there, as the system does: enter,
// move, drop. Returns the action the drag showed over the widget and the
// drop's own.
struct DropResult {
    Qt::DropAction shown = Qt::IgnoreAction;
    Qt::DropAction dropped = Qt::IgnoreAction;
};

DropResult dropOn(QWidget *target, const QMimeData &data)
{
    const QPoint at = target->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    DropResult r;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(target, &move);
    if (enter.isAccepted() && move.isAccepted())
        r.shown = move.dropAction();
    QDropEvent drop(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    if (drop.isAccepted())
        r.dropped = drop.dropAction();
    return r;
}

QMimeData *text(const QString &t)
{
    auto *m = new QMimeData;
    m->setText(t);
    return m;
}

TEST_F(TabDrop, TextOnAnyPieceOfATabNavigatesThatTabAndSelectsIt)
{
    struct Piece {
        const char *name;
        std::function<Control &(int16_t)> of;
    };
    const Piece pieces[] = {
        {"MTab", [this](int16_t i) -> Control & { return w().MTab(i); }},
        {"TIcon", [this](int16_t i) -> Control & { return w().TIcon(i); }},
        {"Tstr", [this](int16_t i) -> Control & { return w().Tstr(i); }},
        {"bgLeft", [this](int16_t i) -> Control & { return w().bgLeft(i); }},
        {"bgCenter", [this](int16_t i) -> Control & { return w().bgCenter(i); }},
        {"bgRight", [this](int16_t i) -> Control & { return w().bgRight(i); }},
    };
    for (const Piece &piece : pieces) {
        SCOPED_TRACE(piece.name);
        SetUp();
        std::unique_ptr<QMimeData> link(text(QStringLiteral("http://dropped.test/")));
        const DropResult r = dropOn(piece.of(1).peer(), *link);
        EXPECT_EQ(r.shown, Qt::CopyAction) << "the pointer shows a copy";
        EXPECT_EQ(r.dropped, Qt::CopyAction);
        EXPECT_EQ(browser(1).navigations.last(), QStringLiteral("http://dropped.test/"));
        EXPECT_EQ(browser(2).navigations.size(), 1) << "the selected tab keeps its page";
        expectOnlySelected(1);
        EXPECT_EQ(selections, 1);
    }
    // The close button shows only on the selected tab: a drop there opens in
    // it and raises SelectTab, nothing else changes.
    SetUp();
    std::unique_ptr<QMimeData> word(text(QStringLiteral("just words")));
    dropOn(w().Tcbt(2).peer(), *word);
    EXPECT_EQ(browser(2).navigations.last(), QStringLiteral("just words")) << "no scheme added";
    expectOnlySelected(2);
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(strip(), "0 2000 4000");
}

TEST_F(TabDrop, DataWithoutTextChangesNothing)
{
    QMimeData picture;
    picture.setImageData(QImage(8, 8, QImage::Format_RGB32));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.html"))});
    for (const QMimeData *data : {&picture, &files}) {
        dropOn(w().MTab(1).peer(), *data);
        dropOn(w().TIcon(1).peer(), *data);
    }
    EXPECT_EQ(browser(1).navigations, QStringList{"http://example.test/0"});
    expectOnlySelected(2);
    EXPECT_EQ(selections, 0);
}

TEST_F(TabDrop, ScriptAddressesAreNotOpenedButTheTabIsSelected)
{
    const QString scripts[] = {
        QStringLiteral("javascript:alert(1)"),
        QStringLiteral("  JavaScript:alert(document.cookie)"),
        QStringLiteral("\x01\t\n jAvA\tscr\nipt:void(0)"),
        QStringLiteral("\u00a0\u3000javascript:x"),
    };
    for (const QString &script : scripts) {
        w().MTab(2).events.MouseDown(kLeftButton, 0, 0, 0);
        std::unique_ptr<QMimeData> data(text(script));
        dropOn(w().TIcon(1).peer(), *data);
        EXPECT_EQ(browser(1).navigations.size(), 1) << script.toStdString();
        EXPECT_EQ(w().CurrentTab, 1) << script.toStdString();
    }
    // Only the scheme itself is refused.
    std::unique_ptr<QMimeData> page(text(QStringLiteral("javascript-notes.html")));
    dropOn(w().TIcon(1).peer(), *page);
    EXPECT_EQ(browser(1).navigations.last(), QStringLiteral("javascript-notes.html"));
}

TEST_F(TabDrop, ControlCharactersAndAMegabyteReachTheBrowserAsTheyAre)
{
    const QString odd = QString::fromUtf16(u"a\u0000b\u0007c\u001b", 6);
    const QString huge(1 << 20, QLatin1Char('x'));
    for (const QString &t : {odd, huge}) {
        std::unique_ptr<QMimeData> data(text(t));
        dropOn(w().Tstr(1).peer(), *data);
        EXPECT_EQ(browser(1).navigations.last(), t);
    }
    expectOnlySelected(1);
    EXPECT_EQ(tabs(), "open 1 2 | closed  | tab 1");
}

} // namespace
