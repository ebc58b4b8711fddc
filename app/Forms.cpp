#include "Form1.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"
#include "Forms.h"

namespace forms {

Form1Instance Form1;
FormMenuInstance FormMenu;
FormOpenUrlInstance FormOpenUrl;

void unloadAll()
{
    Form1.Unload();
    FormMenu.Unload();
    FormOpenUrl.Unload();
}

} // namespace forms
