#pragma once
// A key as the window system delivers it: to a window, at a time (ms).

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSpontaneKeyEvent>
#include <QWindow>

inline void sendKey(QWindow *window, bool press, Qt::Key key, bool autoRepeat, quint64 at)
{
    QKeyEvent e(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
    e.setTimestamp(at);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QCoreApplication::instance()->notify(window, &e); // as QTest does: sendEvent would make it ours
}
