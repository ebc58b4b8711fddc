#pragma once
// The system colours the controls ask for, from the classic default scheme
// (fixed, so a button looks the same on every desktop). Values are 0x00BBGGRR.

#include <cstdint>

namespace tk {

enum SysColor : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

// 0 for an index the scheme doesn't name.
int32_t GetSysColor(int index);

} // namespace tk
