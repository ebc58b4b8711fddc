#include "browser/webengine/HiddenFrames.h"

#include <QChildEvent>
#include <QPointer>
#include <QQuickWidget>

namespace tk {

namespace {

class FrameTaker : public QObject {
public:
    explicit FrameTaker(QWidget *view) : QObject(view)
    {
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
            // A Qt Quick widget paints from a timer of its own, and skips it
            // while hidden: take the frame instead, once the timer is done.
            if (auto *w = qobject_cast<QQuickWidget *>(watched); w && !w->isVisible())
                QMetaObject::invokeMethod(
                    this,
                    [w = QPointer<QQuickWidget>(w)] {
                        if (w && !w->isVisible())
                            w->grabFramebuffer();
                    },
                    Qt::QueuedConnection);
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void takeFramesWhileHidden(QWidget *view)
{
    if (view)
        new FrameTaker(view);
}

} // namespace tk
