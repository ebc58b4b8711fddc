#include "Forms.h"
#include "Form1.h"
#include "FormFind.h"
#include "FormMenu.h"
#include "FormOpenUrl.h"

namespace forms {

Form1Instance Form1;
FormMenuInstance FormMenu;
FormOpenUrlInstance FormOpenUrl;
FormFindInstance FormFind;

void unloadAll()
{
    Form1.Unload();
    FormMenu.Unload();
    FormOpenUrl.Unload();
    FormFind.Unload();
}

} // namespace forms
