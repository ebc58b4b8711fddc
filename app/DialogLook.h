#pragma once
// What the program's small dialogs share: the address dialog's text box and
// the way each comes up with the keyboard.

namespace tk {
class Form;
class TextBox;
} // namespace tk

namespace dialogs {

// The address dialog's box: its pale blue and its fixed-width font.
void styleTextBox(tk::TextBox &box);
// Shows the form at top, left (twips) above the others, active, with the
// keyboard in box.
void showWithKeyboard(tk::Form &form, tk::TextBox &box, float top, float left);

} // namespace dialogs
