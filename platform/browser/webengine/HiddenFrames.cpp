#include "browser/webengine/HiddenFrames.h"

#include <QChildEvent>
#include <QElapsedTimer>
#include <QPointer>
#include <QQuickWidget>
#include <QTimer>

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tk {

namespace {

// Only a page that was still drawing when hidden leaves the compositor
// waiting: one at rest has nothing more to draw. It counts as drawing when
// its widget painted twice within this long before being hidden.
constexpr qint64 kDrawingMs = 250;

// Taking a frame renders the whole page area (about 6 ms here, in software)
// and makes the engine draw for the view again, holding about 2 MiB more
// while it stays hidden. The compositor's wakes while it waits cost well
// under 1 % of a core, about the same however many views it waits for. So a
// view takes its frame once it has stayed hidden a moment: one shown again
// before that needs none, and a burst of tabs pays for it after the burst.
constexpr int kSettleMs = 2000;

class FrameTaker : public QObject {
public:
    explicit FrameTaker(QWidget *view) : QObject(view)
    {
        m_clock.start();
        m_settle.setSingleShot(true);
        m_settle.setInterval(kSettleMs);
        connect(&m_settle, &QTimer::timeout, this, [this] { takeFrames(); });
        view->installEventFilter(this);
        for (QQuickWidget *w : view->findChildren<QQuickWidget *>())
            w->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildPolished) {
            // The engine makes the widget when the page gets a renderer, and
            // again when it gets another; by the time it is polished it is
            // whole. Installing twice keeps one filter.
            if (auto *w = qobject_cast<QQuickWidget *>(static_cast<QChildEvent *>(event)->child()))
                w->installEventFilter(this);
            return false;
        }
        if (event->type() == QEvent::ChildRemoved) {
            m_paints.erase(static_cast<QChildEvent *>(event)->child());
            return false;
        }
        // Everything else a page's widget gets (input above all) passes untouched.
        if (event->type() != QEvent::Hide && event->type() != QEvent::Timer)
            return false;
        auto *w = qobject_cast<QQuickWidget *>(watched);
        if (!w)
            return false;
        Paints &p = m_paints[w];
        if (event->type() == QEvent::Hide) {
            p.drawingWhenHidden = m_clock.elapsed() - p.last <= kDrawingMs && p.last - p.before <= kDrawingMs;
        } else if (event->type() == QEvent::Timer) {
            // A Qt Quick widget paints from a timer of its own, and skips
            // that while hidden.
            if (w->isVisible()) {
                p.before = std::exchange(p.last, m_clock.elapsed());
            } else if (p.drawingWhenHidden) {
                waiting(w);
            }
        }
        return false;
    }

private:
    struct Paints {
        qint64 last = -kDrawingMs - 1, before = -2 * kDrawingMs - 2; // when the widget last painted on screen
        bool drawingWhenHidden = false;
    };

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

    QElapsedTimer m_clock;
    QTimer m_settle;
    std::vector<QPointer<QQuickWidget>> m_waiting;
    std::unordered_map<const QObject *, Paints> m_paints;
};

} // namespace

void takeFramesWhileHidden(QWidget *view)
{
    if (view)
        new FrameTaker(view);
}

} // namespace tk
