#include "ModulePublicVariables.h"

int32_t OldWindowProc = 0;
tk::NOTIFYICONDATA TrayIconData{};
bool TrayIconAdded = false;
