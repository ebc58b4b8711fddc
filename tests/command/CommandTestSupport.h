#pragma once
// Helpers to make gradient buttons, read their pixels and record their events.

#include "ColorMath.h"
#include "Command.h"
#include "ErrorOf.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>

#include <functional>
#include <memory>

namespace command_test {

using command::Command;
using command::RGB;

// A new instance placed on a form at W × H pixels.
inline std::unique_ptr<Command> newButton(tk::Form &form, int w, int h, int32_t buttonType,
                                          const QString &caption = QString(),
                                          const QString &name = QStringLiteral("Command1"))
{
    auto c = std::make_unique<Command>(&form, name);
    c->InitProperties();
    c->setCaption(caption);
    c->setButtonType(buttonType);
    c->Move(0, 0, float(w * 15), float(h * 15));
    return c;
}

inline int32_t pixel(const Command &c, int x, int y)
{
    return c.surface().GetPixel(x, y);
}

// How many of the button's pixels have the colour.
inline int countPixels(const Command &c, int32_t colour)
{
    int n = 0;
    for (int y = 0; y < c.H(); ++y)
        for (int x = 0; x < c.W(); ++x)
            n += pixel(c, x, y) == colour;
    return n;
}

// The pointer moved to a point of the button (held: the buttons down), or
// the left button pressed on it at 3, 3.
inline void mouseMove(Command &c, QPointF at = QPointF(3, 3), Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, at, c.peer()->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(c.peer(), &move);
}

inline void press(Command &c)
{
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(c.peer(), &down);
}

// Records every event as a line of text, arguments included.
struct EventLog {
    QStringList lines;
    void attach(Command &c)
    {
        c.events.Click = [this] { lines << QStringLiteral("Click"); };
        c.events.MouseOut = [this] { lines << QStringLiteral("MouseOut"); };
        c.events.KeyDown = [this](int16_t &k, int16_t &) { lines << QStringLiteral("KeyDown %1").arg(k); };
        c.events.KeyUp = [this](int16_t &k, int16_t &) { lines << QStringLiteral("KeyUp %1").arg(k); };
        c.events.KeyPress = [this](int16_t &a) { lines << QStringLiteral("KeyPress %1").arg(a); };
        const auto mouse = [this](const char *name) {
            return [this, name](int16_t &b, int16_t &s, float &x, float &y) {
                lines
                    << QStringLiteral("%1 %2,%3,%4,%5").arg(QLatin1String(name)).arg(b).arg(s).arg(x).arg(y);
            };
        };
        c.events.MouseDown = mouse("MouseDown");
        c.events.MouseMove = mouse("MouseMove");
        c.events.MouseUp = mouse("MouseUp");
    }
};

} // namespace command_test
