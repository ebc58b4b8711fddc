#pragma once
// The program's forms, one application-wide instance each: created on first
// reference, destroyed by unloading.

#include "toolkit/Form.h"

class Form1;
class FormMenu;

namespace forms {

class Form1Instance : public tk::FormInstance<::Form1> {};
class FormMenuInstance : public tk::FormInstance<::FormMenu> {};

extern Form1Instance Form1;
extern FormMenuInstance FormMenu;

} // namespace forms

#include "Form1.h"
#include "FormMenu.h"
