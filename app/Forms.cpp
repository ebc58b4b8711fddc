#include "Forms.h"
#include "Form1.h"
#include "FormFind.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "FormSignIn.h"

namespace tavrin::forms {

Form1Instance Form1;
FormMenuInstance FormMenu;
FormOpenUrlInstance FormOpenUrl;
FormFindInstance FormFind;
FormSignInInstance FormSignIn;

void unloadAll()
{
    afterSignIn([] {
        Form1.Unload();
        FormMenu.Unload();
        FormOpenUrl.Unload();
        FormFind.Unload();
    });
}

void useDesktop(const tk::DesktopServices &desktop)
{
    Form1.setDesktop(desktop);
    FormMenu.setDesktop(desktop);
    FormOpenUrl.setDesktop(desktop);
    FormFind.setDesktop(desktop);
    FormSignIn.setDesktop(desktop);
}

} // namespace tavrin::forms
