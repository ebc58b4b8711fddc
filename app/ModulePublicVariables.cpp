#include "ModulePublicVariables.h"

namespace tavrin {

int32_t OldWindowProc = 0;
tk::NOTIFYICONDATA TrayIconData{};
bool TrayIconAdded = false;

} // namespace tavrin
