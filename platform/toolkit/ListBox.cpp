#include "toolkit/ListBox.h"

#include "toolkit/TkError.h"

namespace tk {

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount())
        throw TkError(kInvalidArgument);
    m_items.removeAt(index);
}

QString ListBox::List(int index) const
{
    if (index < -1)
        throw TkError(kInvalidArgument);
    return index >= 0 && index < ListCount() ? m_items.at(index) : QString();
}

} // namespace tk
