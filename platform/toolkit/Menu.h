#pragma once
// A form's menu: a named item with a caption, a click handler and sub-items.
// A caption of "-" is a separator.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QMenu;

namespace tk {

class Menu {
public:
    Menu(QString name, QString caption) : m_name(std::move(name)), m_caption(std::move(caption)) {}

    const QString &Name() const { return m_name; }
    const QString &Caption() const { return m_caption; }
    bool isSeparator() const { return m_caption == QLatin1String("-"); }
    Menu &addItem(const QString &name, const QString &caption);
    const std::vector<std::unique_ptr<Menu>> &items() const { return m_items; }

    std::function<void()> Click;

    // Builds the Qt menu of this menu's items; choosing one sets *chosen.
    void fill(QMenu &menu, const Menu **chosen) const;
    // The items' captions, and an item's Click run by its place, errors
    // ignored: for menus shown by others (the desktop's exported menus).
    QStringList captions() const;
    void choose(int item) const;

private:
    QString m_name;
    QString m_caption;
    std::vector<std::unique_ptr<Menu>> m_items;
};

} // namespace tk
