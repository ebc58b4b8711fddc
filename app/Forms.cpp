#include "Forms.h"
#include "Form1.h"
#include "FormFind.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "FormSignIn.h"

namespace forms {

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

} // namespace forms
