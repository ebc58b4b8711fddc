#include "toolkit/Accessible.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

#include <algorithm>

namespace tk {

namespace {

struct Entry {
    const void *owner;
    Description description;
};

// Never destroyed: an object described may go after static destructors ran.
QHash<const QObject *, Entry> &described()
{
    static auto *const entries = new QHash<const QObject *, Entry>;
    return *entries;
}

const Description *descriptionOf(const QObject *object)
{
    const auto it = described().constFind(object);
    return it == described().cend() ? nullptr : &it->description;
}

QAccessibleInterface *interfaceOf(QObject *object)
{
    return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

// What a description lists in place of a widget's children.
int indexIn(const Description &d, const QAccessibleInterface *child)
{
    const std::vector<QObject *> children = d.children();
    const auto it = std::find(children.begin(), children.end(), child ? child->object() : nullptr);
    return it == children.end() ? -1 : int(it - children.begin());
}

QAccessibleInterface *childIn(const Description &d, int index)
{
    const std::vector<QObject *> children = d.children();
    return index >= 0 && size_t(index) < children.size() ? interfaceOf(children[size_t(index)]) : nullptr;
}

// A described control's widget: what its description says, the rest as Qt
// tells of any widget (place, visibility, focus). Its description is looked
// up each time, so one forgotten falls back to the plain widget's.
class WidgetNode : public QAccessibleWidget {
public:
    explicit WidgetNode(QWidget *widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override { return d() ? d()->role : QAccessibleWidget::role(); }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (d() && d()->selected) {
            s.selectable = true;
            s.selected = d()->selected();
        }
        return s;
    }
    QAccessibleInterface *parent() const override
    {
        return d() && d()->parent ? interfaceOf(d()->parent) : QAccessibleWidget::parent();
    }
    int childCount() const override
    {
        return d() && d()->children ? int(d()->children().size()) : QAccessibleWidget::childCount();
    }
    QAccessibleInterface *child(int index) const override
    {
        return d() && d()->children ? childIn(*d(), index) : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return d() && d()->children ? indexIn(*d(), child) : QAccessibleWidget::indexOfChild(child);
    }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (pressable())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &action) override
    {
        if (action != pressAction() || !pressable())
            return QAccessibleWidget::doAction(action);
        // The press may describe the widget anew.
        const std::function<void()> press = d()->press;
        press();
    }

private:
    const Description *d() const { return descriptionOf(object()); }
    // What is not shown cannot be pressed, as it cannot be clicked.
    bool pressable() const { return d() && d()->press && widget()->isEnabled() && widget()->isVisible(); }
};

// An object standing for a group of controls that share no widget of their
// own (the tabs of a strip): it lies where they lie.
class GroupNode : public QAccessibleObject {
public:
    explicit GroupNode(QObject *object) : QAccessibleObject(object) {}

    QWindow *window() const override
    {
        const QAccessibleInterface *p = parent();
        return p ? p->window() : nullptr;
    }
    QAccessibleInterface *parent() const override { return d() ? interfaceOf(d()->parent) : nullptr; }
    int childCount() const override { return d() && d()->children ? int(d()->children().size()) : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return d() && d()->children ? childIn(*d(), index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return d() && d()->children ? indexIn(*d(), child) : -1;
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text) const override { return QString(); }
    QAccessible::Role role() const override { return d() ? d()->role : QAccessible::Grouping; }
    QAccessible::State state() const override { return QAccessible::State(); }
    QRect rect() const override
    {
        QRect r;
        for (int i = 0; i < childCount(); ++i)
            if (const QAccessibleInterface *c = child(i))
                r |= c->rect();
        return r;
    }

private:
    const Description *d() const { return descriptionOf(object()); }
};

QAccessibleInterface *nodeFor(const QString &, QObject *object)
{
    if (!descriptionOf(object))
        return nullptr;
    if (object->isWidgetType())
        return new WidgetNode(static_cast<QWidget *>(object));
    return new GroupNode(object);
}

} // namespace

void describe(QObject *object, const void *owner, Description description)
{
    static const bool installed = (QAccessible::installFactory(nodeFor), true);
    (void)installed;
    const bool known = described().contains(object);
    described().insert(object, Entry{owner, std::move(description)});
    if (!known)
        QObject::connect(object, &QObject::destroyed, [object] { described().remove(object); });
    // Asked about before it was described (any change of a widget asks, a
    // listener or not), it was given the plain widget's interface: that one
    // goes, and the next question gets the described one.
    if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
        iface && !dynamic_cast<WidgetNode *>(iface) && !dynamic_cast<GroupNode *>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void forgetDescriptions(const void *owner)
{
    described().removeIf([owner](const auto &entry) { return entry.value().owner == owner; });
}

void announce(QObject *object, QAccessible::Event event)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent e(object, event);
    QAccessible::updateAccessibility(&e);
}

} // namespace tk
