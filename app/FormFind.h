#pragma once
// The find form: finds what is typed into Text1 in the selected page as it
// is typed. Enter, F3 and CommandNext go to the next match, Shift with Enter
// or F3 to the previous one; LabelCount shows the active match and the
// count. Escape closes it. Only one is ever open (forms::FormFind).

#include "Command.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"

#include <functional>
#include <memory>

namespace tavrin {

class FormFind : public tk::Form {
public:
    FormFind();

    // Places the form, shows it without an owner and gives it the keyboard,
    // the text in Text1 selected, as the address dialog does.
    void showAt(float top, float left);
    // "2/7": the active match and the count; "0/0" when nothing matches.
    void showResult(int activeMatch, int matches);

    void CommandNext_Click();
    void Text1_Change();
    void Text1_KeyDown(int16_t &KeyCode, int16_t &Shift);
    // However the form goes, the opener hears it.
    void Form_Unload(int16_t &cancel) override;

    // What the opener hears: a search (the same text again is the next
    // match, or the previous one backward; an empty text ends it), and that
    // the form has gone.
    struct Events {
        std::function<void(const QString &text, bool backward)> Find;
        std::function<void()> Gone;
    } events;

    tk::TextBox Text1;
    tk::Label LabelCount;
    std::unique_ptr<command::Command> CommandNext;

private:
    void find(bool backward);
};

} // namespace tavrin
