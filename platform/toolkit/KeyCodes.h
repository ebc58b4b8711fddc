#pragma once
// The classic virtual-key codes that key events carry.

#include <cstdint>

namespace tk {

enum KeyCode : int16_t {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18, // Alt
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyF1 = 112,
};

// Qt key to the classic virtual-key code: letters and digits are their
// capital ASCII codes; 0 for keys without one.
int16_t virtualKeyOf(int qtKey);

} // namespace tk
