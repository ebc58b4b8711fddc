#include "Forms.h"

namespace forms {

Form1Instance Form1;
FormMenuInstance FormMenu;

} // namespace forms
