#pragma once
// What the forms and the tabbed control take from the skin: its pictures,
// built into the program, and the window colour they are drawn to match.

#include "toolkit/Picture.h"

#include <QString>

#include <cstdint>

namespace skin {

// The light blue behind the frame, the tab strip and the tabs (0x00BBGGRR).
constexpr int32_t kBackColor = 0x00FFF1E1;

// A skin picture by name, without its ".png"; an empty picture when missing.
tk::Picture picture(const QString &name);

// The resource path of a skin file by its full name.
QString resource(const QString &fileName);

} // namespace skin
