#pragma once
// A key sequence bound to a handler on a control's window: it fires wherever
// the keyboard focus is inside that window, the web page included, and the
// focused widget then never sees the key. A toolkit error in the handler
// stops here, as in any event handler.

#include <QKeySequence>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QShortcut;
class QWidget;

namespace tk {

class Control;

class Shortcut {
public:
    // Unbound until it is given keys.
    Shortcut(const Control &owner, std::function<void()> handler);
    Shortcut(const Control &owner, const QKeySequence &keys, std::function<void()> handler);
    ~Shortcut();
    Shortcut(const Shortcut &) = delete;
    Shortcut &operator=(const Shortcut &) = delete;

    // An empty sequence unbinds it.
    void setKeys(const QKeySequence &keys);
    QKeySequence keys() const;

    // A key the web page was offered first and left alone comes back to the
    // page's parents as a plain key press, after shortcuts had their turn:
    // the window gives it to the bound shortcut here. True when one fired.
    static bool activateUnhandled(const QWidget *window, const QKeyEvent &event);

private:
    QPointer<QShortcut> m_shortcut;
    std::function<void()> m_handler;
};

} // namespace tk
