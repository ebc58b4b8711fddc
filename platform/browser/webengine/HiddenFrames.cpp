#include "browser/webengine/HiddenFrames.h"

#include <QChildEvent>
#include <QPointer>
#include <QQuickWidget>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace tk {

namespace {

// Taking a frame renders the whole page area: about 6 ms here, in software,
// for each view. The compositor's wakes while it waits cost well under 1 % of
// a core, about the same however many views it waits for. So a view takes
// its frame once it has stayed hidden a moment: one shown again before that
// needs none, and a burst of tabs opened at once pays for it after the
// burst, not in the middle of it.
constexpr int kSettleMs = 2000;

class FrameTaker : public QObject {
public:
    explicit FrameTaker(QWidget *view) : QObject(view)
    {
        m_settle.setSingleShot(true);
        m_settle.setInterval(kSettleMs);
        connect(&m_settle, &QTimer::timeout, this, [this] { takeFrames(); });
        view->installEventFilter(this);
        for (QQuickWidget *w : view->findChildren<QQuickWidget *>())
            w->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ChildPolished:
            // The engine makes the widget when the page gets a renderer, and
            // again when it gets another; by the time it is polished it is
            // whole. Installing twice keeps one filter.
            if (auto *w = qobject_cast<QQuickWidget *>(static_cast<QChildEvent *>(event)->child()))
                w->installEventFilter(this);
            break;
        case QEvent::Timer:
            // A Qt Quick widget paints from a timer of its own, and skips
            // that while hidden.
            if (auto *w = qobject_cast<QQuickWidget *>(watched); w && !w->isVisible())
                waiting(w);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void waiting(QQuickWidget *w)
    {
        if (std::find(m_waiting.begin(), m_waiting.end(), w) == m_waiting.end())
            m_waiting.emplace_back(w);
        if (!m_settle.isActive())
            m_settle.start();
    }

    // Rendered off screen, a widget takes the frame it was handed.
    void takeFrames()
    {
        for (const QPointer<QQuickWidget> &w : std::exchange(m_waiting, {}))
            if (w && !w->isVisible())
                w->grabFramebuffer();
    }

    QTimer m_settle;
    std::vector<QPointer<QQuickWidget>> m_waiting;
};

} // namespace

void takeFramesWhileHidden(QWidget *view)
{
    if (view)
        new FrameTaker(view);
}

} // namespace tk
