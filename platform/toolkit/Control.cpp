#include "toolkit/Control.h"

#include "toolkit/DesktopServices.h"
#include "toolkit/EventBridge.h"
#include "toolkit/TkError.h"
#include "toolkit/Twips.h"
#include "win32/Win32.h"

#include <QApplication>

#include <cmath>

namespace tk {

Control::Control(QWidget *peer, Control *container) : m_peer(peer), m_container(container)
{
    if (container && peer)
        peer->setParent(container->clientWidget());
    if (peer) {
        m_bridge = new EventBridge(this, peer);
        // Controls hear the pointer move over them with no button held, as
        // hover pictures need.
        peer->setMouseTracking(true);
    }
}

Control::~Control()
{
    if (m_bridge && m_peer)
        m_bridge->detach();
    if (m_hWnd)
        unregisterWindow(m_hWnd);
    delete m_peer.data();
}

void Control::setLeft(float left)
{
    setGeometryTwips(left, m_top, m_width, m_height);
}
void Control::setTop(float top)
{
    setGeometryTwips(m_left, top, m_width, m_height);
}

void Control::setWidth(float width)
{
    if (width < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(m_left, m_top, width, m_height);
}

void Control::setHeight(float height)
{
    if (height < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(m_left, m_top, m_width, height);
}

void Control::Move(float left)
{
    setGeometryTwips(left, m_top, m_width, m_height);
}
void Control::Move(float left, float top)
{
    setGeometryTwips(left, top, m_width, m_height);
}

void Control::Move(float left, float top, float width)
{
    if (width < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(left, top, width, m_height);
}

void Control::Move(float left, float top, float width, float height)
{
    if (width < 0 || height < 0)
        throw TkError(kInvalidPropertyValue);
    setGeometryTwips(left, top, width, height);
}

void Control::setGeometryTwips(float left, float top, float width, float height)
{
    // Past what a window can be (or not a number at all, from broken saved
    // data): refused like a negative size, before anything changes.
    for (const float v : {left, top, width, height})
        if (!(std::abs(v) <= kMaxTwips))
            throw TkError(kInvalidPropertyValue);
    const bool resized = width != m_width || height != m_height;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
    if (resized)
        onResize();
}

void Control::applyGeometry()
{
    if (m_peer)
        m_peer->setGeometry(toPixels(m_left), toPixels(m_top), toPixels(m_width), toPixels(m_height));
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    if (m_peer)
        m_peer->setVisible(visible);
}

void Control::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (m_peer)
        m_peer->setEnabled(enabled);
}

void Control::setContainer(Control &container)
{
    m_container = &container;
    if (!m_peer)
        return;
    m_peer->setParent(container.clientWidget());
    applyGeometry();
    m_peer->setVisible(m_visible);
}

void Control::ZOrder(int position)
{
    if (!m_peer)
        return;
    if (position == 0)
        m_peer->raise();
    else
        m_peer->lower();
}

void Control::SetFocus()
{
    if (m_peer)
        m_peer->setFocus(Qt::OtherFocusReason);
}

bool Control::containsFocus() const
{
    QWidget *focus = QApplication::focusWidget();
    return m_peer && focus && (focus == m_peer || m_peer->isAncestorOf(focus));
}

int32_t Control::hWnd() const
{
    if (!m_hWnd && m_peer)
        m_hWnd = registerWindow(m_peer);
    return m_hWnd;
}

const DesktopServices &Control::desktop() const
{
    return m_container ? m_container->desktop() : DesktopServices::system();
}

void Control::setToolTip(const QString &text)
{
    if (!m_peer)
        return;
    // A tip's width is Qt's guess, a narrow one for short text: a line
    // short enough to fit any tip (an address, say) is kept whole, longer
    // ones wrap.
    constexpr qsizetype kUnbrokenLine = 100;
    QString html;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        html += QStringLiteral("<p style='margin:0; white-space:%1'>%2</p>")
                    .arg(line.size() <= kUnbrokenLine ? QLatin1String("pre") : QLatin1String("normal"),
                         line.toHtmlEscaped());
    m_peer->setToolTip(html);
}

void Control::setOLEDropMode(bool manual)
{
    if (m_peer)
        m_peer->setAcceptDrops(manual);
}

void Control::copyBaseFrom(const Control &source)
{
    m_tag = source.m_tag;
    m_enabled = source.m_enabled;
    m_consumesInput = source.m_consumesInput;
    if (source.m_container)
        setContainer(*source.m_container);
    m_visible = false;
    if (m_peer) {
        m_peer->setVisible(false);
        m_peer->setEnabled(m_enabled);
        m_peer->setAcceptDrops(source.m_peer && source.m_peer->acceptDrops());
    }
    m_left = source.m_left;
    m_top = source.m_top;
    m_width = source.m_width;
    m_height = source.m_height;
    applyGeometry();
}

} // namespace tk
