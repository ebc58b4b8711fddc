#include "toolkit/EventBridge.h"

#include "toolkit/Control.h"
#include "toolkit/DesktopServices.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TkError.h"
#include "toolkit/Twips.h"

#include <QCursor>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tk {

namespace {

int16_t buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return kLeftButton;
    case Qt::RightButton:
        return kRightButton;
    case Qt::MiddleButton:
        return kMiddleButton;
    default:
        return 0;
    }
}

int16_t buttonsOf(Qt::MouseButtons bs)
{
    int16_t r = 0;
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        if (bs & b)
            r |= buttonOf(b);
    return r;
}

int16_t shiftOf(Qt::KeyboardModifiers m)
{
    int16_t r = 0;
    if (m & Qt::ShiftModifier)
        r |= kShiftMask;
    if (m & Qt::ControlModifier)
        r |= kCtrlMask;
    if (m & Qt::AltModifier)
        r |= kAltMask;
    return r;
}

} // namespace

EventBridge::EventBridge(Control *control, QWidget *peer) : QObject(peer), m_control(control)
{
    peer->installEventFilter(this);
}

bool EventBridge::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_control)
        return false;
    try {
        if (m_pressWindow && watched == m_pressWindow)
            return followHiddenPress(event);
        if (watched != m_control->peer())
            return false;
        return dispatch(event);
    } catch (const TkError &e) {
        if (m_control)
            raise(m_control->desktop().errorStopped, e);
        return true;
    }
}

bool EventBridge::dispatch(QEvent *event)
{
    Control &c = *m_control;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return c.consumesInput() && mouse(static_cast<QMouseEvent *>(event));
    case QEvent::Leave:
        // Not when the control was only hidden (a button swapping pictures)
        // or covered under a pointer that stayed where it was.
        if (c.peer()->isVisible() && !c.peer()->rect().contains(c.peer()->mapFromGlobal(QCursor::pos())))
            c.onMouseLeave();
        return false;
    case QEvent::Hide:
        followPressWhenHidden();
        return false;
    case QEvent::FocusIn:
        c.onGotFocus();
        return false;
    case QEvent::FocusOut:
        c.onLostFocus();
        return false;
    case QEvent::KeyPress:
        return c.takesKeys() && keyPress(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        return c.takesKeys() && keyRelease(static_cast<QKeyEvent *>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (!c.takesDrops())
            return false;
        // The drop will copy: the pointer says so while dragging over.
        static_cast<QDropEvent *>(event)->setDropAction(Qt::CopyAction);
        static_cast<QDropEvent *>(event)->accept();
        return true;
    case QEvent::Drop:
        return c.takesDrops() && drop(static_cast<QDropEvent *>(event));
    default:
        return false;
    }
}

bool EventBridge::mouse(QMouseEvent *me)
{
    const float x = toTwips(me->position().x());
    const float y = toTwips(me->position().y());
    const int16_t shift = shiftOf(me->modifiers());
    if (!m_control->Enabled())
        return true;
    switch (me->type()) {
    case QEvent::MouseButtonPress:
        press(me, x, y, shift);
        break;
    case QEvent::MouseButtonRelease:
        release(me, m_control->peer()->rect().contains(me->position().toPoint()), x, y, shift);
        break;
    case QEvent::MouseButtonDblClick:
        doubleClick(me, x, y, shift);
        break;
    default:
        m_control->onMouseMove(buttonsOf(me->buttons()), shift, x, y);
        break;
    }
    return true;
}

void EventBridge::press(QMouseEvent *me, float x, float y, int16_t shift)
{
    m_pressed = me->button();
    m_secondClick = false;
    m_control->onMouseDown(buttonOf(me->button()), shift, x, y);
}

// A left release over the control ends a click, unless it ends the second
// press of a double click.
void EventBridge::release(QMouseEvent *me, bool inside, float x, float y, int16_t shift)
{
    const bool click =
        m_pressed == me->button() && me->button() == Qt::LeftButton && inside && !m_secondClick;
    m_pressed = Qt::NoButton;
    m_secondClick = false;
    m_control->onMouseUp(buttonOf(me->button()), shift, x, y);
    if (click && m_control)
        m_control->onClick();
}

// The second press of a left double click is the double click itself: no
// MouseDown, and its release raises no Click.
void EventBridge::doubleClick(QMouseEvent *me, float x, float y, int16_t shift)
{
    m_pressed = me->button();
    if (me->button() == Qt::LeftButton) {
        m_secondClick = true;
        m_control->onDblClick();
    } else {
        m_control->onMouseDown(buttonOf(me->button()), shift, x, y);
    }
}

bool EventBridge::keyPress(QKeyEvent *ke)
{
    // A control with its own input (a text box) still edits with the key
    // unless a handler took it by setting the code to 0.
    bool taken = false;
    int16_t code = virtualKeyOf(ke->key());
    int16_t shift = shiftOf(ke->modifiers());
    if (code != 0) {
        m_control->onKeyDown(code, shift);
        taken = code == 0;
    }
    const QString text = ke->text();
    if (m_control && !text.isEmpty() && text.at(0).unicode() < 256 && text.at(0).unicode() >= 8) {
        int16_t ascii = int16_t(text.at(0).unicode());
        m_control->onKeyPress(ascii);
        taken = taken || ascii == 0;
    }
    return !m_control || m_control->consumesInput() || taken;
}

bool EventBridge::keyRelease(QKeyEvent *ke)
{
    if (ke->isAutoRepeat())
        return m_control->consumesInput();
    int16_t code = virtualKeyOf(ke->key());
    int16_t shift = shiftOf(ke->modifiers());
    if (code != 0)
        m_control->onKeyUp(code, shift);
    return !m_control || m_control->consumesInput();
}

bool EventBridge::drop(QDropEvent *de)
{
    DataObject data(de->mimeData());
    int32_t effect = 0;
    const float x = toTwips(de->position().x());
    const float y = toTwips(de->position().y());
    m_control->onDragDrop(data, effect, buttonsOf(de->buttons()), shiftOf(de->modifiers()), x, y);
    de->setDropAction(effect == 0 ? Qt::IgnoreAction : Qt::CopyAction);
    de->accept();
    return true;
}

// A press stays with the control that took it until the release, as under a
// capture, even when the control hides itself (a button swapping pictures);
// Qt would drop the rest of the press.
void EventBridge::followPressWhenHidden()
{
    QWidget *peer = m_control->peer();
    if (m_pressed == Qt::NoButton || m_pressWindow || !peer->window()->windowHandle())
        return;
    m_pressWindow = peer->window()->windowHandle();
    m_pressWindow->installEventFilter(this);
}

// The moves and the release of a press whose control has hidden itself,
// taken from its window and given to the control.
bool EventBridge::followHiddenPress(QEvent *event)
{
    const bool move = event->type() == QEvent::MouseMove;
    if (!move && event->type() != QEvent::MouseButtonRelease) {
        if (event->type() == QEvent::MouseButtonPress)
            endHiddenPress(); // that press ended long ago
        return false;
    }
    auto *me = static_cast<QMouseEvent *>(event);
    if (move && me->buttons() == Qt::NoButton) {
        endHiddenPress();
        return false;
    }
    const QPointF local = m_control->peer()->mapFromGlobal(me->globalPosition());
    const float x = toTwips(local.x());
    const float y = toTwips(local.y());
    const int16_t shift = shiftOf(me->modifiers());
    if (move) {
        m_control->onMouseMove(buttonsOf(me->buttons()), shift, x, y);
        return true;
    }
    if (me->buttons() == Qt::NoButton)
        endHiddenPress();
    release(me, m_control->peer()->rect().contains(local.toPoint()), x, y, shift);
    return true;
}

void EventBridge::endHiddenPress()
{
    if (m_pressWindow)
        m_pressWindow->removeEventFilter(this);
    m_pressWindow = nullptr;
}

} // namespace tk
