#pragma once
// The program's forms, one application-wide instance each: created on first
// reference, destroyed by unloading.

#include "toolkit/Form.h"

namespace tavrin {

class Form1;
class FormMenu;
class FormOpenUrl;
class FormFind;
class FormSignIn;

// The instances go by their classes' names, so they live a level down.
namespace forms {

class Form1Instance : public tk::FormInstance<tavrin::Form1> {};
class FormMenuInstance : public tk::FormInstance<tavrin::FormMenu> {};
class FormOpenUrlInstance : public tk::FormInstance<tavrin::FormOpenUrl> {};
class FormFindInstance : public tk::FormInstance<tavrin::FormFind> {};
class FormSignInInstance : public tk::FormInstance<tavrin::FormSignIn> {};

extern Form1Instance Form1;
extern FormMenuInstance FormMenu;
extern FormOpenUrlInstance FormOpenUrl;
extern FormFindInstance FormFind;
extern FormSignInInstance FormSignIn;

// Unloads every form of the program in the order Exit gives: Form1 (its
// unload removes the tray icon), FormMenu, FormOpenUrl, then the find form.
// Forms not loaded are skipped. While a sign-in is asked, its form ends
// first and the rest waits until the engine has its answer (afterSignIn).
void unloadAll();

// The desktop every form of the program has, loaded or when next loaded:
// the system's unless tests hand in their own, which must outlive the forms.
void useDesktop(const tk::DesktopServices &desktop);

} // namespace forms
} // namespace tavrin
