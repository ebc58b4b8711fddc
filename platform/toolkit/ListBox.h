#pragma once
// A hidden list box used as a list of texts (the tab lists keep integers as
// decimal text in it).

#include <QString>
#include <QStringList>

namespace tk {

class ListBox {
public:
    void AddItem(const QString &item) { m_items.append(item); }
    // An index outside the list: error 5.
    void RemoveItem(int index);
    // The item's text; an index past the end reads as empty text.
    QString List(int index) const;
    int ListCount() const { return int(m_items.size()); }
    const QStringList &items() const { return m_items; }

private:
    QStringList m_items;
};

} // namespace tk
