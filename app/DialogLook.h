#pragma once
// What the program's small dialogs share: the address dialog's text box and
// the way each comes up with the keyboard.

#include <cstdint>
#include <functional>

class QString;

namespace tk {
class Form;
class TextBox;
} // namespace tk

namespace tavrin {

// A small fixed dialog with its caption and skin picture, as wide as the
// address dialog and height twips high.
void setUpDialog(tk::Form &form, const QString &caption, const QString &picture, float height);
// The address dialog's box: its pale blue, its fixed-width font and the
// name a screen reader gives it.
void styleTextBox(tk::TextBox &box, const QString &name);
// Shows the form at top, left (twips) above the others, active, with the
// keyboard in box.
void showWithKeyboard(tk::Form &form, tk::TextBox &box, float top, float left);
// What a dialog's box does with Enter and Escape: the key is taken from the
// box, then enter or escape runs. Other keys are left alone.
void answerKeys(int16_t &KeyCode, const std::function<void()> &enter, const std::function<void()> &escape);

} // namespace tavrin
