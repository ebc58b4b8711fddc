#include "toolkit/Label.h"

#include "toolkit/Accessible.h"
#include "toolkit/PaintedWidget.h"
#include "toolkit/Twips.h"

#include <QFontMetrics>

namespace tk {

Label::Label(Control *container) : IntrinsicControl(new PaintedWidget, container)
{
    static_cast<PaintedWidget *>(peer())->setPainter([this](QPainter &p, const QRect &r) {
        if (m_backColor.isValid())
            p.fillRect(r, m_backColor);
        p.setFont(m_font);
        p.setPen(m_foreColor);
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
    });
    describe(peer(), this, {.role = QAccessible::StaticText});
}

void Label::setCaption(const QString &caption)
{
    m_caption = caption;
    peer()->setAccessibleName(caption);
    fitToCaption();
    peer()->update();
}

void Label::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    fitToCaption();
}

void Label::setFont(const QFont &font)
{
    m_font = font;
    peer()->setFont(font);
    fitToCaption();
    peer()->update();
}

void Label::fitToCaption()
{
    if (!m_autoSize)
        return;
    const QFontMetrics fm(m_font);
    Move(Left(), Top(), toTwips(fm.horizontalAdvance(m_caption)), toTwips(fm.height()));
}

std::unique_ptr<Label> Label::cloneHidden() const
{
    auto copy = std::make_unique<Label>(Container());
    copy->copyBaseFrom(*this);
    copy->m_font = m_font;
    copy->peer()->setFont(m_font);
    copy->m_foreColor = m_foreColor;
    copy->m_backColor = m_backColor;
    copy->m_caption = m_caption;
    copy->peer()->setAccessibleName(m_caption);
    copy->m_autoSize = m_autoSize;
    return copy;
}

} // namespace tk
