// Mouse, keyboard, focus and hover tracking, and the events in their orders.
#include "CommandTestSupport.h"

#include <QCursor>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace command_test;

namespace {

// A shown, active form, so focus and shortcuts behave as on a desktop; every
// button's events go to one log.
class CommandInput : public ::testing::Test {
protected:
    CommandInput()
    {
        form.Move(1500, 1500, 300 * 15, 200 * 15);
        form.Show();
        QApplication::setActiveWindow(form.peer());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.peer()));
    }
    std::unique_ptr<Command> button(int left, int top, const QString &caption = QString())
    {
        auto c = newButton(form, 60, 24, 5, caption);
        c->Move(float(left * 15), float(top * 15));
        c->setVisible(true); // the form is already shown
        log.attach(*c);
        return c;
    }
    tk::Form form;
    EventLog log;
};

} // namespace

TEST_F(CommandInput, SpacePressesAndReleasesTheButtonLikeAClick)
{
    auto c = button(10, 10);
    c->SetFocus();
    QTest::keyPress(c->peer(), Qt::Key_Space);
    EXPECT_EQ(c->DrawState(), command::kPressedLook);
    QTest::keyRelease(c->peer(), Qt::Key_Space);
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
    EXPECT_EQ(log.lines, QStringList({"KeyDown 32", "MouseDown 1,1,1,1", "KeyPress 32", "KeyUp 32",
                                      "MouseUp 1,1,1,1", "Click"}));
    // A release without its press on this button is only a key-up.
    log.lines.clear();
    QTest::keyPress(c->peer(), Qt::Key_A);
    QTest::keyRelease(c->peer(), Qt::Key_Space);
    EXPECT_EQ(log.lines, QStringList({"KeyDown 65", "KeyPress 97", "KeyUp 32"}));
}

TEST_F(CommandInput, ArrowKeysMoveTheFocusUnlessTheHostSetsKeyCodeToZero)
{
    auto a = button(10, 10);
    auto b = button(10, 50);
    auto c = button(10, 90);
    a->SetFocus();
    for (const auto &[from, key, to] : {std::tuple(&a, Qt::Key_Right, &b), std::tuple(&b, Qt::Key_Down, &c),
                                        std::tuple(&c, Qt::Key_Left, &b), std::tuple(&b, Qt::Key_Up, &a)}) {
        QTest::keyClick((*from)->peer(), key);
        EXPECT_TRUE((*to)->HasFocus() && (*to)->peer()->hasFocus()) << "key " << key;
    }
    EXPECT_FALSE(b->HasFocus());

    log.lines.clear();
    a->events.KeyDown = [this](int16_t &code, int16_t &) {
        log.lines << QStringLiteral("KeyDown %1").arg(code);
        code = 0;
    };
    QTest::keyPress(a->peer(), Qt::Key_Space);
    EXPECT_EQ(a->DrawState(), command::kNormalLook);
    QTest::keyRelease(a->peer(), Qt::Key_Space);
    QTest::keyClick(a->peer(), Qt::Key_Right);
    EXPECT_TRUE(a->peer()->hasFocus());
    EXPECT_EQ(log.lines, QStringList({"KeyDown 32", "KeyPress 32", "KeyUp 32", "KeyDown 39", "KeyUp 39"}));
}

TEST_F(CommandInput, LeftClickRaisesDownUpClickAndRightPressKeepsTheLook)
{
    auto c = button(10, 10);
    QTest::mousePress(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    EXPECT_EQ(c->DrawState(), command::kPressedLook);
    QTest::mouseRelease(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
    QTest::mousePress(c->peer(), Qt::RightButton, Qt::ShiftModifier, QPoint(7, 8));
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
    QTest::mouseRelease(c->peer(), Qt::RightButton, Qt::ShiftModifier, QPoint(7, 8));
    EXPECT_EQ(log.lines, QStringList({"MouseDown 1,0,4,6", "MouseUp 1,0,4,6", "Click", "MouseDown 2,1,7,8",
                                      "MouseUp 2,1,7,8"}));
    // After a left click, a double click presses the button again.
    QTest::mouseClick(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    log.lines.clear();
    QTest::mouseDClick(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    EXPECT_EQ(c->DrawState(), command::kPressedLook);
    QTest::mouseRelease(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    EXPECT_EQ(log.lines.value(0), QStringLiteral("MouseDown 1,1,1,1"));
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
}

TEST_F(CommandInput, HoverStartsTheTimerWhichRaisesMouseOutOrShowsTheNormalLookWhenThePointerLeaves)
{
    auto c = button(20, 20);
    const QPoint origin = c->peer()->mapToGlobal(QPoint(0, 0));
    QCursor::setPos(origin + QPoint(5, 5));
    mouseMove(*c, QPointF(5, 5));
    EXPECT_TRUE(c->IsHover());
    EXPECT_TRUE(c->Timer1().Enabled());
    EXPECT_EQ(c->Timer1().Interval(), 10);
    EXPECT_EQ(pixel(*c, 0, 0), c->OfficeXpMousemoveFrameColor());
    c->Timer1().tick();
    // The right and bottom edges still count as inside.
    QCursor::setPos(origin + QPoint(60, 24));
    c->Timer1().tick();
    EXPECT_TRUE(c->IsHover());
    EXPECT_EQ(log.lines, QStringList({"MouseMove 0,0,5,5"}));
    QCursor::setPos(origin + QPoint(61, 5));
    c->Timer1().tick();
    EXPECT_EQ(log.lines, QStringList({"MouseMove 0,0,5,5", "MouseOut"}));
    EXPECT_FALSE(c->IsHover());
    EXPECT_FALSE(c->Timer1().Enabled());
    EXPECT_EQ(pixel(*c, 0, 0), c->OfficeXpFrameColor());

    // Leaving with the button held shows the normal look, coming back the pressed one.
    QTest::mousePress(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    mouseMove(*c, QPointF(70, 5), Qt::LeftButton); // outside: no event, but the timer runs
    EXPECT_TRUE(c->Timer1().Enabled());
    QCursor::setPos(origin + QPoint(70, 5));
    c->Timer1().tick();
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
    mouseMove(*c, QPointF(60, 24), Qt::LeftButton); // the edge is inside
    EXPECT_EQ(c->DrawState(), command::kPressedLook);
    QTest::mouseRelease(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

TEST_F(CommandInput, DisabledButtonRaisesNothingAndStartsNoTimer)
{
    auto c = button(20, 20, QStringLiteral("&Go"));
    c->setEnabled(false);
    QTest::mouseClick(c->peer(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 6));
    mouseMove(*c, QPointF(5, 5));
    QTest::keyClick(c->peer(), Qt::Key_Space);
    c->AccessKeyPress('g');
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_FALSE(c->Timer1().Enabled());
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
}

TEST_F(CommandInput, AccessKeyClicksTheButton)
{
    auto c = button(20, 20, QStringLiteral("&Open"));
    QTest::keyClick(form.peer(), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(log.lines, QStringList({"Click"}));
    // After a Space press the access key releases the look as it clicks.
    QTest::keyPress(c->peer(), Qt::Key_Space);
    c->AccessKeyPress('o');
    EXPECT_EQ(c->DrawState(), command::kNormalLook);
    EXPECT_EQ(log.lines.last(), QStringLiteral("Click"));
}
