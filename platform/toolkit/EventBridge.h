#pragma once
// Turns a control's peer's Qt events into the control's notifications. The
// toolkit's error boundary: a toolkit error that escapes a handler stops
// here, as the program shows and logs nothing.

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

class QDropEvent;
class QKeyEvent;
class QMouseEvent;

namespace tk {

class Control;
class TkError;

class EventBridge : public QObject {
public:
    EventBridge(Control *control, QWidget *peer);
    void detach() { m_control = nullptr; }
    // Tests hear of every error stopped here: none should reach it.
    static void setStoppedErrorHook(std::function<void(const TkError &)> hook);

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
