#include "toolkit/Menu.h"

#include "toolkit/TkError.h"

#include <QMenu>

namespace tk {

Menu &Menu::addItem(const QString &name, const QString &caption)
{
    m_items.push_back(std::make_unique<Menu>(name, caption));
    return *m_items.back();
}

void Menu::fill(QMenu &menu, const Menu **chosen) const
{
    for (const auto &item : m_items) {
        if (item->isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(item->Caption());
        action->setObjectName(item->Name());
        const Menu *target = item.get();
        QObject::connect(action, &QAction::triggered, &menu, [target, chosen] { *chosen = target; });
    }
}

QStringList Menu::captions() const
{
    QStringList captions;
    for (const auto &item : m_items)
        captions << item->Caption();
    return captions;
}

void Menu::choose(int item) const
{
    if (item < 0 || item >= int(m_items.size()) || !m_items[item]->Click)
        return;
    // A copy: the command may unload the form that owns this menu.
    const std::function<void()> click = m_items[item]->Click;
    ignoreErrors(click);
}

} // namespace tk
