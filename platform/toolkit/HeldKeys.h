#pragma once
// A key held down repeats: the window system sends it again and again to
// whatever window has the keyboard by then. Only the window that saw the key
// go down hears its repeats. A form that came, or got the keyboard, while a
// key was held does not take the repeats for presses of its own: a dialog
// closed by Escape would otherwise close every dialog and menu opened after
// it, for as long as the window system thinks Escape is down, and it thinks
// so for good when the release went to a window that was already gone.

#include <QHash>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWindow;

namespace tk {

class HeldKeys : public QObject {
public:
    // Watches the application's key events from now on; once is enough.
    static void ensureInstalled();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit HeldKeys(QObject *application);
    // Whether the event goes on to the window it was sent to.
    bool passes(const QKeyEvent &key, QWindow *window);

    struct Key {
        QPointer<QWindow> downIn; // where it last went down
        bool down = false;        // as far as the events seen tell
        bool wentDown = false;    // ever
        quint64 releasedAt = 0;   // the window system's time, in ms
        // The shortcut check and the window see one press each: judged once.
        bool judged = false;
        quint64 judgedAt = 0;
        bool repeat = false;
    };
    QHash<int, Key> m_keys;
};

} // namespace tk
