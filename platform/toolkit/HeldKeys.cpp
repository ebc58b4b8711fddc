#include "toolkit/HeldKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

namespace tk {

HeldKeys::HeldKeys(QObject *application) : QObject(application)
{
    application->installEventFilter(this);
}

void HeldKeys::ensureInstalled()
{
    static QPointer<HeldKeys> installed;
    if (!installed && QCoreApplication::instance())
        installed = new HeldKeys(QCoreApplication::instance());
}

// A press repeats a key held down: one Qt marks as a repeat while the key
// is down, or one at the very instant of a release, which is how a repeat
// comes when its release went to another window and Qt could not mark it.
// (A key seen coming up and pressed again is a new press, whatever Qt made
// of a release and press close together; no hand, and no tool sending its
// keys one request at a time, does both within the same millisecond.)
bool HeldKeys::passes(const QKeyEvent &event, QWindow *window)
{
    Key &key = m_keys[event.key()];
    const quint64 at = event.timestamp();
    if (event.type() == QEvent::KeyRelease) {
        key.judged = false;
        if (event.isAutoRepeat())
            return key.downIn && key.downIn == window;
        key.down = false;
        key.releasedAt = at;
        return true;
    }
    if (!key.judged || key.judgedAt != at) {
        key.repeat =
            (event.isAutoRepeat() && key.down) || (!key.down && key.wentDown && key.releasedAt == at);
        if (!key.repeat)
            key.downIn = window;
        key.down = key.wentDown = key.judged = true;
        key.judgedAt = at;
    }
    return !key.repeat || (key.downIn && key.downIn == window);
}

bool HeldKeys::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    // Once per key, as the window system delivers it to a top-level window;
    // not again where a widget hands it on to a window of its own (a web
    // page's view does).
    if (!watched->isWindowType() || !event->spontaneous())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (passes(*key, static_cast<QWindow *>(watched)))
        return false;
    // A shortcut is tried before the window hears the key: a repeat that does
    // not pass is taken (accepted, so no shortcut runs), then dropped here.
    key->accept();
    return true;
}

} // namespace tk
