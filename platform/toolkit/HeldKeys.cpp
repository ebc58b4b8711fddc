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

// A repeat comes as a release and a press at the same instant. Qt marks it
// as a repeat only when both go to the same window, which they do not when
// the keyboard moves between them; the pair's time tells all the same. (No
// hand, and no tool sending its keys one request at a time, releases and
// presses a key within the same millisecond.)

bool HeldKeys::passes(const QKeyEvent &event, QWindow *window)
{
    Key &key = m_keys[event.key()];
    const bool press = event.type() != QEvent::KeyRelease;
    const bool repeat = event.isAutoRepeat() || (press && key.released && event.timestamp() == key.releasedAt);
    if (!repeat) {
        if (press)
            key = Key{window, false, 0};
        else
            key = Key{key.downIn, true, event.timestamp()};
        return true;
    }
    return key.downIn && key.downIn == window;
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
