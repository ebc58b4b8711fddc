#pragma once
// What assistive technology (a screen reader, through Qt's accessibility
// bridge) is told about the toolkit's controls. Most of them draw themselves
// on a plain widget, which says nothing of its own: a control describes what
// it is (a push button, a page tab), whether it is selected, what pressing it
// does and which of its pieces a listener should hear of. Its name is its
// widget's accessible name.

#include <QAccessible>
#include <QPointer>

#include <functional>
#include <vector>

namespace tk {

struct Description {
    QAccessible::Role role = QAccessible::Client;
    // Set: it can be selected, and says whether it is.
    std::function<bool()> selected = {};
    // Set: its press action, which does what a click does.
    std::function<void()> press = {};
    // Set: what it holds, in order, in place of its widget's children.
    std::function<std::vector<QObject *>()> children = {};
    // Set: what holds it, in place of its widget's parent.
    QPointer<QObject> parent = {};
};

// Describes a control's widget, or an object that stands for a group of
// controls, from now on. owner is what the description's handlers call: its
// destructor forgets what it described, before those handlers can dangle.
void describe(QObject *object, const void *owner, Description description);
void forgetDescriptions(const void *owner);

// Tells a listener that the object changed (its name, its selection, what it
// holds) or, with QAccessible::Focus, that it is where attention goes now.
void announce(QObject *object, QAccessible::Event event);

} // namespace tk
