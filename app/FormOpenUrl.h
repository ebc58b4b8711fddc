#pragma once
// The address dialog: the text typed into Text1 is handed to whoever opened
// it when CommandOK is clicked (or Enter pressed); Escape closes it.

#include "Command.h"
#include "toolkit/Form.h"
#include "toolkit/TextBox.h"

#include <functional>
#include <memory>

namespace tavrin {

class FormOpenUrl : public tk::Form {
public:
    FormOpenUrl();

    // Places the dialog, shows it without an owner and not modally, and gives
    // it the keyboard, the caret in Text1.
    void showAt(float top, float left);

    void CommandOK_Click();
    void Text1_KeyDown(int16_t &KeyCode, int16_t &Shift);

    // What the opener hears: the text submitted, then, after either way out,
    // that the dialog has gone.
    struct Events {
        std::function<void(const QString &text)> Submit;
        std::function<void()> Gone;
    } events;

    tk::TextBox Text1;
    std::unique_ptr<command::Command> CommandOK;
};

} // namespace tavrin
