#pragma once
// The sign-in form: a server (or a proxy) asks who the user is before it
// answers a tab's page. The user name and password typed go to it when
// CommandOK is clicked (or Enter pressed); Escape, or the window's close
// box, goes on without them and the server's own answer shows.
//
// The engine waits for the answer on the stack, so the form is asked in an
// event loop of its own (ask), and the engine does nothing else meanwhile,
// for any tab. The shell keeps working; what would take the pages away (the
// program's end, the window closed by the system) ends the form first and
// waits until the engine has its answer (afterSignIn). The form belongs to
// the selected tab's page: it ends, with no sign-in, when another tab is
// selected (so that the engine goes on for that one), when its tab's page
// goes elsewhere or the tab is closed. A page not shown is answered with no
// sign-in at once, as is one asking while a form is up. What is typed lives
// in the engine's memory for the session only.

#include "Command.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/TextBox.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tavrin {

class FormSignIn : public tk::Form {
public:
    FormSignIn();

    // The question a tab's page asks, and the answer; see WBControl's
    // AuthenticationRequired.
    struct Question {
        int16_t tab = 0;
        QString site;
        bool proxy = false;
    };
    // Shows the form for the question and returns once it has ended: true,
    // with user and password, when the user signed in.
    static bool ask(const Question &question, QString &user, QString &password);
    // The tab selected now: another tab than the form's ends it.
    static void tabSelected(int16_t selected);
    // Ends the form of that tab, if it is asking, with no sign-in.
    static void withdraw(int16_t tab);

    void CommandOK_Click();
    void Text_KeyDown(int16_t &KeyCode, int16_t &Shift);
    void Form_Unload(int16_t &cancel) override;

    tk::Label LabelUser;
    tk::Label LabelPassword;
    tk::TextBox TextUser;
    tk::TextBox TextPassword;
    std::unique_ptr<command::Command> CommandOK;

private:
    std::function<void()> m_gone; // the asking loop hears the form go
    bool m_signedIn = false;
};

// Runs action now; while a sign-in is asked, ends that form first (no
// sign-in) and runs action once the engine that waited has its answer.
void afterSignIn(std::function<void()> action);

} // namespace tavrin
