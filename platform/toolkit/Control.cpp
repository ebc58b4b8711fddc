#include "toolkit/Control.h"

#include "toolkit/TkError.h"
#include "toolkit/Twips.h"
#include "win32/Win32.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace tk {

namespace {

int16_t buttonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
    }
}

int16_t buttonsOf(Qt::MouseButtons bs)
{
    int16_t r = 0;
    if (bs & Qt::LeftButton) r |= kLeftButton;
    if (bs & Qt::RightButton) r |= kRightButton;
    if (bs & Qt::MiddleButton) r |= kMiddleButton;
    return r;
}

int16_t shiftOf(Qt::KeyboardModifiers m)
{
    int16_t r = 0;
    if (m & Qt::ShiftModifier) r |= kShiftMask;
    if (m & Qt::ControlModifier) r |= kCtrlMask;
    if (m & Qt::AltModifier) r |= kAltMask;
    return r;
}

// Qt key to the classic virtual-key code (0 for keys without one).
int16_t virtualKeyOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return int16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return int16_t(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Space: return 32;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

} // namespace

// Turns the peer's Qt events into the control's events. Toolkit errors that
// escape a handler stop here: the program shows and logs nothing.
class EventBridge : public QObject {
public:
    EventBridge(Control *control, QWidget *peer) : QObject(peer), m_control(control)
    {
        peer->installEventFilter(this);
    }
    void detach() { m_control = nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_control)
            return false;
        try {
            if (m_pressWindow && watched == m_pressWindow)
                return followHiddenPress(event);
            if (watched != m_control->peer())
                return false;
            return dispatch(event);
        } catch (const TkError &) {
            return true;
        }
    }

private:
    template <class F, class... A>
    static void raise(const F &handler, A &&...args)
    {
        if (handler)
            handler(std::forward<A>(args)...);
    }

    bool dispatch(QEvent *event)
    {
        Control &c = *m_control;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            if (!c.consumesMouse())
                return false;
            auto *me = static_cast<QMouseEvent *>(event);
            const float x = toTwips(me->position().x());
            const float y = toTwips(me->position().y());
            const int16_t shift = shiftOf(me->modifiers());
            if (!c.Enabled())
                return true;
            switch (event->type()) {
            case QEvent::MouseButtonPress:
                m_pressed = me->button();
                m_secondClick = false;
                raise(c.MouseDown, buttonOf(me->button()), shift, x, y);
                break;
            case QEvent::MouseButtonRelease: {
                const bool inside = c.peer() && c.peer()->rect().contains(me->position().toPoint());
                const bool click = m_pressed == me->button() && me->button() == Qt::LeftButton
                    && inside && !m_secondClick;
                m_pressed = Qt::NoButton;
                m_secondClick = false;
                raise(c.MouseUp, buttonOf(me->button()), shift, x, y);
                if (click && m_control)
                    raise(m_control->Click);
                break;
            }
            case QEvent::MouseButtonDblClick:
                // The second press of a left double click is the double click
                // itself: no MouseDown, and its release raises no Click.
                m_pressed = me->button();
                if (me->button() == Qt::LeftButton) {
                    m_secondClick = true;
                    raise(c.DblClick);
                } else {
                    raise(c.MouseDown, buttonOf(me->button()), shift, x, y);
                }
                break;
            default:
                raise(c.MouseMove, buttonsOf(me->buttons()), shift, x, y);
                break;
            }
            return true;
        }
        case QEvent::Hide:
            // A press stays with the control that took it until the release,
            // as under a capture, even when the control hides itself (a
            // button swapping pictures); Qt would drop the rest of the press.
            if (m_pressed != Qt::NoButton && !m_pressWindow && c.peer()->window()->windowHandle()) {
                m_pressWindow = c.peer()->window()->windowHandle();
                m_pressWindow->installEventFilter(this);
            }
            return false;
        case QEvent::FocusIn:
            raise(c.GotFocus);
            return false;
        case QEvent::FocusOut:
            raise(c.LostFocus);
            return false;
        case QEvent::KeyPress: {
            if (!c.KeyDown && !c.KeyPress)
                return false;
            auto *ke = static_cast<QKeyEvent *>(event);
            // A control with its own input (a text box) still edits with the
            // key unless a handler took it by setting the code to 0.
            const bool ownInput = !c.consumesMouse();
            bool taken = false;
            int16_t code = virtualKeyOf(ke->key());
            int16_t shift = shiftOf(ke->modifiers());
            if (code != 0) {
                raise(c.KeyDown, code, shift);
                taken = code == 0;
            }
            const QString text = ke->text();
            if (m_control && !text.isEmpty() && text.at(0).unicode() < 256
                && text.at(0).unicode() >= 8) {
                int16_t ascii = int16_t(text.at(0).unicode());
                raise(m_control->KeyPress, ascii);
                taken = taken || ascii == 0;
            }
            return !ownInput || taken;
        }
        case QEvent::KeyRelease: {
            if (!c.KeyUp)
                return false;
            auto *ke = static_cast<QKeyEvent *>(event);
            if (ke->isAutoRepeat())
                return true;
            int16_t code = virtualKeyOf(ke->key());
            int16_t shift = shiftOf(ke->modifiers());
            if (code != 0)
                raise(c.KeyUp, code, shift);
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (!c.OLEDragDrop)
                return false;
            // The drop will copy: the pointer says so while dragging over.
            static_cast<QDropEvent *>(event)->setDropAction(Qt::CopyAction);
            static_cast<QDropEvent *>(event)->accept();
            return true;
        case QEvent::Drop: {
            if (!c.OLEDragDrop)
                return false;
            auto *de = static_cast<QDropEvent *>(event);
            DataObject data(de->mimeData());
            int32_t effect = 0;
            const float x = toTwips(de->position().x());
            const float y = toTwips(de->position().y());
            c.OLEDragDrop(data, effect, buttonsOf(de->buttons()), shiftOf(de->modifiers()), x, y);
            de->setDropAction(effect == 0 ? Qt::IgnoreAction : Qt::CopyAction);
            de->accept();
            return true;
        }
        default:
            return false;
        }
    }

    // The moves and the release of a press whose control has hidden itself,
    // taken from its window and given to the control.
    bool followHiddenPress(QEvent *event)
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
        Control &c = *m_control;
        const QPointF local = c.peer()->mapFromGlobal(me->globalPosition());
        const float x = toTwips(local.x());
        const float y = toTwips(local.y());
        const int16_t shift = shiftOf(me->modifiers());
        if (move) {
            raise(c.MouseMove, buttonsOf(me->buttons()), shift, x, y);
            return true;
        }
        const bool click = m_pressed == me->button() && me->button() == Qt::LeftButton &&
                           c.peer()->rect().contains(local.toPoint()) && !m_secondClick;
        if (me->buttons() == Qt::NoButton)
            endHiddenPress();
        m_pressed = Qt::NoButton;
        m_secondClick = false;
        raise(c.MouseUp, buttonOf(me->button()), shift, x, y);
        if (click && m_control)
            raise(m_control->Click);
        return true;
    }
    void endHiddenPress()
    {
        if (m_pressWindow)
            m_pressWindow->removeEventFilter(this);
        m_pressWindow = nullptr;
    }

    Control *m_control;
    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_secondClick = false;
    QPointer<QWindow> m_pressWindow;
};

Control::Control(QWidget *peer, Control *container) : m_peer(peer), m_container(container)
{
    if (container && peer)
        peer->setParent(container->clientWidget());
    if (peer) {
        m_bridge = new EventBridge(this, peer);
        // Controls hear the pointer move over them with no button held, as
        // hover pictures need.
        peer->setMouseTracking(true);
    }
}

Control::~Control()
{
    if (m_bridge && m_peer)
        m_bridge->detach();
    if (m_hWnd)
        unregisterWindow(m_hWnd);
    delete m_peer.data();
}

void Control::setLeft(float left) { setGeometryTwips(left, m_top, m_width, m_height); }
void Control::setTop(float top) { setGeometryTwips(m_left, top, m_width, m_height); }

void Control::setWidth(float width)
{
    if (width < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(m_left, m_top, width, m_height);
}

void Control::setHeight(float height)
{
    if (height < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(m_left, m_top, m_width, height);
}

void Control::Move(float left) { setGeometryTwips(left, m_top, m_width, m_height); }
void Control::Move(float left, float top) { setGeometryTwips(left, top, m_width, m_height); }

void Control::Move(float left, float top, float width)
{
    if (width < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(left, top, width, m_height);
}

void Control::Move(float left, float top, float width, float height)
{
    if (width < 0 || height < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(left, top, width, height);
}

void Control::setGeometryTwips(float left, float top, float width, float height)
{
    const bool resized = width != m_width || height != m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
    if (resized) {
        sizeChanged();
        if (Resize)
            Resize();
    }
}

void Control::applyGeometry()
{
    if (m_peer)
        m_peer->setGeometry(toPixels(m_left), toPixels(m_top), toPixels(m_width), toPixels(m_height));
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_peer)
        m_peer->setVisible(visible);
}

void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_peer)
        m_peer->setEnabled(enabled);
}

void Control::setContainer(Control &container)
{
    m_container = &container;
    if (!m_peer)
        return;
    m_peer->setParent(container.clientWidget());
    applyGeometry();
    m_peer->setVisible(m_visible);
}

void Control::ZOrder(int position)
{
    if (!m_peer)
        return;
    if (position == 0)
        m_peer->raise();
    else
        m_peer->lower();
}

void Control::SetFocus()
{
    if (m_peer)
        m_peer->setFocus(Qt::OtherFocusReason);
}

bool Control::containsFocus() const
{
    QWidget *focus = QApplication::focusWidget();
    return m_peer && focus && (focus == m_peer || m_peer->isAncestorOf(focus));
}

int32_t Control::hWnd() const
{
    if (!m_hWnd && m_peer)
        m_hWnd = registerWindow(m_peer);
    return m_hWnd;
}

void Control::setOLEDropMode(bool manual)
{
    if (m_peer)
        m_peer->setAcceptDrops(manual);
}

void Control::copyBaseFrom(const Control &source)
{
    m_tag = source.m_tag;
    m_enabled = source.m_enabled;
    m_consumesMouse = source.m_consumesMouse;
    if (source.m_container)
        setContainer(*source.m_container);
    m_visible = false;
    if (m_peer) {
        m_peer->setVisible(false);
        m_peer->setEnabled(m_enabled);
        m_peer->setAcceptDrops(source.m_peer && source.m_peer->acceptDrops());
    }
    m_left = source.m_left;
    m_top = source.m_top;
    m_width = source.m_width;
    m_height = source.m_height;
    applyGeometry();
}

} // namespace tk
