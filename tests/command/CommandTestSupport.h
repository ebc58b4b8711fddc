#pragma once
// Gradient buttons on a shown form, driven and looked at by words.

#include "ColorMath.h"
#include "Command.h"
#include "ErrorOf.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace command_test {

using command::Command;
using command::RGB;

// A new, shown instance placed on a form at 10, top, W × H pixels.
inline std::unique_ptr<Command> newButton(tk::Form &form, int w, int h, int32_t buttonType, int top = 0)
{
    auto c = std::make_unique<Command>(&form, QStringLiteral("Command1"));
    c->InitProperties();
    c->setCaption(QString());
    c->setButtonType(buttonType);
    c->Move(150, float(top * 15), float(w * 15), float(h * 15));
    c->setVisible(true);
    return c;
}

inline int32_t pixel(const Command &c, int x, int y)
{
    return c.surface().GetPixel(x, y);
}

inline QString rgbOf(int32_t colour)
{
    return QStringLiteral("%1,%2,%3").arg(colour & 0xFF).arg(colour >> 8 & 0xFF).arg(colour >> 16 & 0xFF);
}

// A shown, active form, so focus and shortcuts behave as on a desktop.
class CommandOnForm : public ::testing::Test {
protected:
    CommandOnForm()
    {
        form.Move(1500, 1500, 300 * 15, 200 * 15);
        form.Show();
        QApplication::setActiveWindow(form.peer());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.peer()));
    }
    std::string run(const QString &words);
    tk::Form form;
};

// Makes a 40 × 24 button of the style the first word gives, with two more under it, does what the other words
// say to it in order, and gives the events it raised with their arguments and what it showed, '|' between:
//   "Name=value"      the property set (colours as r,g,b; Enabled and ShowFocusRect as 0 or 1)
//   "x,y=r,g,b"       the pixel at x, y has the colour; "n*r,g,b": at least n pixels have it
//   "+K", "-K", "K"   the key K (as QKeySequence spells it) pressed, released, or both; keys go to the
//                     button with the focus, else to the form, and "K@" to the first button itself
//   "+L", "-L", "L"   the left button pressed, released or clicked at 4, 6; "*L" double-clicked; "R" for the
//                     right one, with Shift, at 7, 8
//   "X,Y", "X,Y+L"    the pointer moved to X, Y over the button, the left button held in the second
//   "X,Y!"            the cursor put at X, Y of the button, then the hover timer's tick
//   "&c"              the host's access key call; "focus" and "zero": the button takes the focus, or the
//                     host's KeyDown handler sets the code to 0
//   "?"               the look: up or pressed, then as they hold hover, the hover timer and its interval,
//                     focus, "lit": drawn in the hover frame colour, and the access key
inline std::string CommandOnForm::run(const QString &words)
{
    const auto colour = [](const QString &v) {
        return RGB(v.section(',', 0, 0).toInt(), v.section(',', 1, 1).toInt(), v.section(',', 2).toInt());
    };
    const std::map<QString, std::function<void(Command &, const QString &)>> set = {
        {"Caption", [](Command &c, const QString &v) { c.setCaption(v); }},
        {"Enabled", [](Command &c, const QString &v) { c.setEnabled(v == "1"); }},
        {"ShowFocusRect", [](Command &c, const QString &v) { c.setShowFocusRect(v == "1"); }},
        {"XpType", [](Command &c, const QString &v) { c.setXpType(v.toInt()); }},
        {"ColorScheme", [](Command &c, const QString &v) { c.setColorScheme(v.toInt()); }},
        {"Percent", [](Command &c, const QString &v) { c.setPercent(int16_t(v.toInt())); }},
        {"MidColor", [&](Command &c, const QString &v) { c.setMidColor(colour(v)); }},
        {"EndColor", [&](Command &c, const QString &v) { c.setEndColor(colour(v)); }},
        {"OfficeXpMousemoveFillColor",
         [&](Command &c, const QString &v) { c.setOfficeXpMousemoveFillColor(colour(v)); }},
    };
    std::vector<std::unique_ptr<Command>> buttons;
    for (int top : {20, 60, 100})
        buttons.push_back(newButton(form, 40, 24, words.section(' ', 0, 0).toInt(), top));
    Command &c = *buttons[0];
    QStringList log;
    auto &e = c.events;
    e.Click = [&] { log << "Click"; };
    e.MouseOut = [&] { log << "MouseOut"; };
    e.KeyDown = [&](int16_t &k, int16_t &) { log << QStringLiteral("KeyDown %1").arg(k); };
    e.KeyUp = [&](int16_t &k, int16_t &) { log << QStringLiteral("KeyUp %1").arg(k); };
    e.KeyPress = [&](int16_t &a) { log << QStringLiteral("KeyPress %1").arg(a); };
    for (auto [name, handler] :
         {std::pair("MouseDown", &e.MouseDown), {"MouseMove", &e.MouseMove}, {"MouseUp", &e.MouseUp}})
        *handler = [&log, name = name](int16_t &b, int16_t &s, float &x, float &y) {
            log << QStringLiteral("%1 %2,%3,%4,%5").arg(QLatin1String(name)).arg(b).arg(s).arg(x).arg(y);
        };
    for (const QString &w : words.split(' ').mid(1)) {
        const QStringList xy = w.section(QRegularExpression("[=*!+]"), 0, 0).split(',');
        const QPoint at(xy[0].toInt(), xy.value(1).toInt());
        const int how = int(QStringLiteral("+-*").indexOf(w[0])) + 1; // both, press, release, double
        const QString name = w.mid(how ? 1 : 0), value = w.section(QRegularExpression("[=*]"), 1);
        int count = 0;
        for (int i = 0; w.contains('*') && i < 40 * 24; ++i)
            count += rgbOf(pixel(c, i % 40, i / 40)) == value;
        if (w == "?") {
            log << QStringLiteral("%1%2%3%4%5")
                           .arg(c.DrawState() == command::kPressedLook ? "pressed" : "up",
                                c.IsHover() ? " hover" : "",
                                c.Timer1().Enabled() ? QStringLiteral(" timer@%1").arg(c.Timer1().Interval())
                                                     : "",
                                c.HasFocus() ? " focus" : "",
                                pixel(c, 0, 0) == c.OfficeXpMousemoveFrameColor() ? " lit" : "") +
                       (c.AccessKeys().isEmpty() ? "" : " key=" + c.AccessKeys());
        } else if (w[0].isLetter() && w.contains('=')) {
            set.at(w.section('=', 0, 0))(c, value);
        } else if (w[0].isDigit() && w.contains('=')) {
            EXPECT_EQ(rgbOf(pixel(c, at.x(), at.y())), value) << qPrintable(w);
        } else if (w[0].isDigit() && w.contains('*')) {
            EXPECT_GE(count, w.section('*', 0, 0).toInt()) << qPrintable(w);
        } else if (w == "focus") {
            c.SetFocus();
        } else if (w == "zero") {
            e.KeyDown = [&](int16_t &k, int16_t &) {
                log << QStringLiteral("KeyDown %1").arg(std::exchange(k, 0));
            };
        } else if (w[0] == '&') {
            c.AccessKeyPress(int16_t(w[1].unicode()));
        } else if (w.endsWith('!')) {
            QCursor::setPos(c.peer()->mapToGlobal(at));
            c.Timer1().tick();
        } else if (w[0].isDigit()) {
            QMouseEvent move(QEvent::MouseMove, at, c.peer()->mapToGlobal(at), Qt::NoButton,
                             w.endsWith("+L") ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(c.peer(), &move);
        } else if (name == "L" || name == "R") {
            const QTest::MouseAction actions[] = {QTest::MouseClick, QTest::MousePress, QTest::MouseRelease,
                                                  QTest::MouseDClick};
            QTest::mouseEvent(actions[how], c.peer(), name == "L" ? Qt::LeftButton : Qt::RightButton,
                              name == "L" ? Qt::NoModifier : Qt::ShiftModifier,
                              name == "L" ? QPoint(4, 6) : QPoint(7, 8));
        } else {
            const QKeyCombination key = QKeySequence(QString(name).remove('@'))[0];
            QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : form.peer();
            to = w.endsWith('@') ? c.peer() : to;
            const QTest::KeyAction actions[] = {QTest::Click, QTest::Press, QTest::Release};
            QTest::keyEvent(actions[how], to, key.key(), key.keyboardModifiers());
        }
    }
    return log.join('|').toStdString();
}

} // namespace command_test
