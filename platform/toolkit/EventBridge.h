#pragma once
// Turns a control's peer's Qt events into the control's notifications. The
// toolkit's error boundary: a toolkit error that escapes a handler stops
// here, and only the control's desktop hears of it (errorStopped).

#include <QObject>
#include <QPointer>
#include <QWindow>

class QDropEvent;
class QKeyEvent;
class QMouseEvent;

namespace tk {

class Control;

class EventBridge : public QObject {
public:
    EventBridge(Control *control, QWidget *peer);
    void detach() { m_control = nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool dispatch(QEvent *event);
    bool mouse(QMouseEvent *event);
    void press(QMouseEvent *event, float x, float y, int16_t shift);
    void release(QMouseEvent *event, bool inside, float x, float y, int16_t shift);
    void doubleClick(QMouseEvent *event, float x, float y, int16_t shift);
    bool keyPress(QKeyEvent *event);
    bool keyRelease(QKeyEvent *event);
    bool drop(QDropEvent *event);
    void followPressWhenHidden();
    bool followHiddenPress(QEvent *event);
    void endHiddenPress();

    Control *m_control;
    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_secondClick = false;
    QPointer<QWindow> m_pressWindow;
};

} // namespace tk
