#include "toolkit/Shortcut.h"

#include "toolkit/Control.h"
#include "toolkit/TkError.h"

#include <QShortcut>

namespace tk {

Shortcut::Shortcut(const Control &owner, std::function<void()> handler)
    : m_shortcut(new QShortcut(owner.peer()))
{
    // Window context: a widget context never fires inside the web view,
    // whose focus sits on a child of its own.
    m_shortcut->setContext(Qt::WindowShortcut);
    m_shortcut->setEnabled(false);
    QObject::connect(m_shortcut, &QShortcut::activated, m_shortcut,
                     [handler = std::move(handler)] { ignoreErrors(handler); });
}

Shortcut::Shortcut(const Control &owner, const QKeySequence &keys, std::function<void()> handler)
    : Shortcut(owner, std::move(handler))
{
    setKeys(keys);
}

Shortcut::~Shortcut() { delete m_shortcut.data(); }

void Shortcut::setKeys(const QKeySequence &keys)
{
    if (!m_shortcut)
        return;
    m_shortcut->setKey(keys);
    m_shortcut->setEnabled(!keys.isEmpty());
}

QKeySequence Shortcut::keys() const { return m_shortcut ? m_shortcut->key() : QKeySequence(); }

} // namespace tk
