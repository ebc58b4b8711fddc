#include "toolkit/TextBox.h"

#include <QLineEdit>

#include <limits>

namespace tk {

TextBox::TextBox(Control *container) : IntrinsicControl(new QLineEdit, container)
{
    setConsumesInput(false);
    edit()->setFrame(false);
    // No length limit of its own (Qt's is 32767): what is pasted is what the
    // program gets.
    edit()->setMaxLength(std::numeric_limits<int>::max());
}

QLineEdit *TextBox::edit() const
{
    return static_cast<QLineEdit *>(peer());
}
QString TextBox::Text() const
{
    return edit()->text();
}
void TextBox::setText(const QString &text)
{
    edit()->setText(text);
}

void TextBox::setBackColor(const QColor &color)
{
    QPalette pal = edit()->palette();
    pal.setColor(QPalette::Base, color);
    edit()->setPalette(pal);
}

void TextBox::setFont(const QFont &font)
{
    edit()->setFont(font);
}

} // namespace tk
