#pragma once
// A rectangle in pixels as the classic drawing calls take it: right and
// bottom are exclusive.

#include <cstdint>

namespace tk {

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

} // namespace tk
