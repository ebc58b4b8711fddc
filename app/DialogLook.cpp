#include "DialogLook.h"

#include "Skin.h"
#include "toolkit/Color.h"
#include "toolkit/Form.h"
#include "toolkit/KeyCodes.h"
#include "toolkit/TextBox.h"

#include <QFont>
#include <QWidget>

namespace tavrin {

namespace {
constexpr uint32_t kTextBackColor = 0x00FFEFDE;
constexpr float kDialogWidth = 4785;
} // namespace

void setUpDialog(tk::Form &form, const QString &caption, const QString &picture, float height)
{
    form.setCaption(caption);
    form.setFixedDialog(true);
    form.setPicture(skin::picture(picture));
    form.Move(form.Left(), form.Top(), kDialogWidth, height);
}

void styleTextBox(tk::TextBox &box, const QString &name)
{
    box.peer()->setAccessibleName(name);
    box.setBackColor(tk::colorFromBGR(kTextBackColor));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(10.5);
    box.setFont(font);
}

void showWithKeyboard(tk::Form &form, tk::TextBox &box, float top, float left)
{
    form.setTop(top);
    form.setLeft(left);
    form.Show();
    form.peer()->raise();
    form.peer()->activateWindow();
    box.SetFocus();
}

void answerKeys(int16_t &KeyCode, const std::function<void()> &enter, const std::function<void()> &escape)
{
    if (KeyCode != tk::vbKeyReturn && KeyCode != tk::vbKeyEscape)
        return;
    const bool entered = KeyCode == tk::vbKeyReturn;
    KeyCode = 0;
    entered ? enter() : escape();
}

} // namespace tavrin
