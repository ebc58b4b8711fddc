#include "win32/SysColors.h"

namespace tk {

int32_t GetSysColor(int index)
{
    struct Entry {
        int index;
        int r, g, b;
    };
    static constexpr Entry kScheme[] = {
        {COLOR_WINDOW, 255, 255, 255},       {COLOR_WINDOWTEXT, 0, 0, 0},
        {COLOR_BTNFACE, 240, 240, 240},      {COLOR_BTNSHADOW, 160, 160, 160},
        {COLOR_GRAYTEXT, 109, 109, 109},     {COLOR_BTNTEXT, 0, 0, 0},
        {COLOR_BTNHIGHLIGHT, 255, 255, 255}, {COLOR_3DDKSHADOW, 105, 105, 105},
        {COLOR_3DLIGHT, 227, 227, 227},
    };
    for (const Entry &e : kScheme)
        if (e.index == index)
            return int32_t(e.r | (e.g << 8) | (e.b << 16));
    return 0;
}

} // namespace tk
