#include "toolkit/Shortcut.h"

#include "toolkit/Control.h"
#include "toolkit/TkError.h"

#include <QKeyEvent>
#include <QShortcut>

#include <vector>

namespace tk {

namespace {
std::vector<Shortcut *> &bound()
{
    static std::vector<Shortcut *> shortcuts;
    return shortcuts;
}
} // namespace

Shortcut::Shortcut(const Control &owner, std::function<void()> handler)
    : m_shortcut(new QShortcut(owner.peer())), m_handler(std::move(handler))
{
    // Window context: a widget context never fires inside the web view,
    // whose focus sits on a child of its own.
    m_shortcut->setContext(Qt::WindowShortcut);
    m_shortcut->setEnabled(false);
    QObject::connect(m_shortcut, &QShortcut::activated, m_shortcut, [this] { ignoreErrors(m_handler); });
    bound().push_back(this);
}

Shortcut::Shortcut(const Control &owner, const QKeySequence &keys, std::function<void()> handler)
    : Shortcut(owner, std::move(handler))
{
    setKeys(keys);
}

Shortcut::~Shortcut()
{
    std::erase(bound(), this);
    delete m_shortcut.data();
}

bool Shortcut::activateUnhandled(const QWidget *window, const QKeyEvent &event)
{
    const QKeySequence pressed(event.keyCombination());
    for (Shortcut *s : bound()) {
        QShortcut *q = s->m_shortcut;
        const auto *owner = q ? qobject_cast<const QWidget *>(q->parent()) : nullptr;
        if (owner && q->isEnabled() && owner->window() == window && q->key() == pressed) {
            ignoreErrors(s->m_handler);
            return true;
        }
    }
    return false;
}

void Shortcut::setKeys(const QKeySequence &keys)
{
    if (!m_shortcut)
        return;
    m_shortcut->setKey(keys);
    m_shortcut->setEnabled(!keys.isEmpty());
}

QKeySequence Shortcut::keys() const
{
    return m_shortcut ? m_shortcut->key() : QKeySequence();
}

} // namespace tk
