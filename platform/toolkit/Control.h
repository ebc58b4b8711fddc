#pragma once
// The base of every control and form: geometry in twips kept as set (single
// precision) and pushed to a Qt peer widget in pixels, visibility, Tag,
// container, z-order, focus, and the classic mouse, key, focus and drop events.

#include "toolkit/DataObject.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace tk {

struct DesktopServices;

// Mouse buttons and shift state as the events carry them.
enum MouseButton : int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftState : int16_t { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

using MouseHandler = std::function<void(int16_t button, int16_t shift, float x, float y)>;
using KeyHandler = std::function<void(int16_t &keyCode, int16_t &shift)>;
using KeyPressHandler = std::function<void(int16_t &keyAscii)>;
using DropHandler =
    std::function<void(DataObject &data, int32_t &effect, int16_t button, int16_t shift, float x, float y)>;
using Handler = std::function<void()>;

// The classic events a host assigns to a control, each raised after the
// control's own handling. X and Y are twips relative to the control.
struct ControlEvents {
    MouseHandler MouseDown, MouseMove, MouseUp;
    // The pointer left the control, whichever way it went.
    Handler MouseLeave;
    Handler Click, DblClick, GotFocus, LostFocus, Resize;
    KeyHandler KeyDown, KeyUp;
    KeyPressHandler KeyPress;
    DropHandler OLEDragDrop;
};

// Raises an event if anyone listens.
template <class F, class... A> void raise(const F &handler, A &&...args)
{
    if (handler)
        handler(std::forward<A>(args)...);
}

class Control {
public:
    // The peer becomes a child of the container's client widget (none for a form).
    Control(QWidget *peer, Control *container);
    virtual ~Control();
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);   // negative: error 380, nothing changes
    void setHeight(float height); // likewise
    void Move(float left);
    void Move(float left, float top);
    void Move(float left, float top, float width);
    void Move(float left, float top, float width, float height);

    bool Visible() const { return m_visible; }
    virtual void setVisible(bool visible);
    bool Enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    const QString &Tag() const { return m_tag; }
    void setTag(const QString &tag) { m_tag = tag; }

    Control *Container() const { return m_container; }
    void setContainer(Control &container);
    // 0 brings the control to the front of its siblings, 1 sends it to the back.
    void ZOrder(int position = 0);
    virtual void SetFocus();
    // Whether the keyboard focus is in this control or in one inside it.
    bool containsFocus() const;
    // The window handle of the peer, registered on first use.
    int32_t hWnd() const;
    // The desktop the control reaches: its form's, or the system's for a
    // control in no form.
    virtual const DesktopServices &desktop() const;

    QWidget *peer() const { return m_peer; }
    // Where child controls live; the peer itself unless a kind says otherwise.
    virtual QWidget *clientWidget() const { return m_peer; }

    // Shown while the pointer rests on the control, or on one inside it that
    // has none of its own: the text as given, never read as markup.
    void setToolTip(const QString &text);
    // Turns on drop handling (the classic "manual" drop mode).
    void setOLEDropMode(bool manual);
    // Whether mouse and key events stop at this control (true for drawn
    // controls) or go on to the peer's own handling (text boxes, browsers).
    void setConsumesInput(bool consume) { m_consumesInput = consume; }
    bool consumesInput() const { return m_consumesInput; }

protected:
    // Sets a field that changes only what the control looks like, and has it
    // drawn again.
    template <class T> void repaintWith(T &field, const T &value)
    {
        field = value;
        m_peer->update();
    }

    // The control's own notifications, from the toolkit's event dispatch and
    // from size changes. A kind reacts by overriding them; by default they do
    // nothing. X and Y are twips relative to the control.
    virtual void onMouseDown(int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
    virtual void onMouseMove(int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
    virtual void onMouseUp(int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
    virtual void onMouseLeave() {}
    virtual void onClick() {}
    virtual void onDblClick() {}
    virtual void onGotFocus() {}
    virtual void onLostFocus() {}
    virtual void onKeyDown(int16_t & /*keyCode*/, int16_t & /*shift*/) {}
    virtual void onKeyUp(int16_t & /*keyCode*/, int16_t & /*shift*/) {}
    virtual void onKeyPress(int16_t & /*keyAscii*/) {}
    virtual void onDragDrop(DataObject & /*data*/, int32_t & /*effect*/, int16_t /*button*/,
                            int16_t /*shift*/, float /*x*/, float /*y*/)
    {
    }
    // After a size change through the setters.
    virtual void onResize() {}
    // Whether the control takes key events and drops at all.
    virtual bool takesKeys() const { return false; }
    virtual bool takesDrops() const { return false; }

    // Copies what a control-array Load copies from element 0: geometry,
    // Tag, enabled state and container. The copy stays hidden.
    void copyBaseFrom(const Control &source);
    // Pushes the twips geometry to the peer in pixels.
    virtual void applyGeometry();
    void setGeometryTwips(float left, float top, float width, float height);

    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;

private:
    friend class EventBridge;
    QPointer<QWidget> m_peer;
    Control *m_container = nullptr;
    bool m_enabled = true;
    bool m_consumesInput = true;
    QString m_tag;
    mutable int32_t m_hWnd = 0;
    class EventBridge *m_bridge = nullptr;
};

// A control whose host assigns the classic events (images, labels, picture
// boxes, text boxes): each notification is raised to the host as it comes.
class IntrinsicControl : public Control {
public:
    using Control::Control;

    ControlEvents events;

protected:
    void onMouseDown(int16_t button, int16_t shift, float x, float y) override
    {
        raise(events.MouseDown, button, shift, x, y);
    }
    void onMouseMove(int16_t button, int16_t shift, float x, float y) override
    {
        raise(events.MouseMove, button, shift, x, y);
    }
    void onMouseUp(int16_t button, int16_t shift, float x, float y) override
    {
        raise(events.MouseUp, button, shift, x, y);
    }
    void onMouseLeave() override { raise(events.MouseLeave); }
    void onClick() override { raise(events.Click); }
    void onDblClick() override { raise(events.DblClick); }
    void onGotFocus() override { raise(events.GotFocus); }
    void onLostFocus() override { raise(events.LostFocus); }
    void onKeyDown(int16_t &keyCode, int16_t &shift) override { raise(events.KeyDown, keyCode, shift); }
    void onKeyUp(int16_t &keyCode, int16_t &shift) override { raise(events.KeyUp, keyCode, shift); }
    void onKeyPress(int16_t &keyAscii) override { raise(events.KeyPress, keyAscii); }
    void onDragDrop(DataObject &data, int32_t &effect, int16_t button, int16_t shift, float x,
                    float y) override
    {
        raise(events.OLEDragDrop, data, effect, button, shift, x, y);
    }
    void onResize() override { raise(events.Resize); }
    bool takesKeys() const override { return events.KeyDown || events.KeyPress || events.KeyUp; }
    bool takesDrops() const override { return bool(events.OLEDragDrop); }
};

} // namespace tk
