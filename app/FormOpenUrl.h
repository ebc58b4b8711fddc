#pragma once
// The address dialog: the text typed into Text1 opens in a new tab of the
// main window when CommandOK is clicked (or Enter pressed); Escape closes it.

#include "Command.h"
#include "toolkit/Form.h"
#include "toolkit/TextBox.h"

#include <memory>

class FormOpenUrl : public tk::Form {
public:
    FormOpenUrl();

    // Places the dialog, shows it without an owner and not modally, and gives
    // it the keyboard, the caret in Text1.
    void showAt(float top, float left);

    void CommandOK_Click();
    void Text1_KeyDown(int16_t &KeyCode, int16_t &Shift);

    tk::TextBox Text1;
    std::unique_ptr<command::Command> CommandOK;
};
