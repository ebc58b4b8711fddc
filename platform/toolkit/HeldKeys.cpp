#include "toolkit/HeldKeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
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

namespace {
// The window a key's receiver lies in.
QWindow *windowOf(QObject *receiver)
{
    if (receiver->isWindowType())
        return static_cast<QWindow *>(receiver);
    if (receiver->isWidgetType())
        return static_cast<QWidget *>(receiver)->window()->windowHandle();
    return QGuiApplication::focusWindow();
}
} // namespace

// A repeat comes as a release and a press at the same moment. Qt marks it
// as a repeat only when both go to the same window, which they do not when
// the keyboard moves between them; the pair's time tells all the same.
constexpr qint64 kRepeatPairMs = 10;

bool HeldKeys::passes(const QKeyEvent &event, QWindow *window)
{
    Key &key = m_keys[event.key()];
    const bool press = event.type() != QEvent::KeyRelease;
    const qint64 sinceRelease = qint64(event.timestamp()) - qint64(key.releasedAt);
    const bool repeat = event.isAutoRepeat()
                        || (press && key.released && sinceRelease >= 0 && sinceRelease <= kRepeatPairMs);
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
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Seen once, where the window system delivers it: at the window.
        if (!watched->isWindowType())
            return false;
        return !passes(*static_cast<QKeyEvent *>(event), static_cast<QWindow *>(watched));
    case QEvent::ShortcutOverride: {
        // A shortcut is tried before the window hears the key; a repeat that
        // does not pass is taken here (accepted, so no shortcut runs) and then
        // dropped at the window.
        auto *key = static_cast<QKeyEvent *>(event);
        if (passes(*key, windowOf(watched)))
            return false;
        key->accept();
        return true;
    }
    default:
        return false;
    }
}

} // namespace tk
