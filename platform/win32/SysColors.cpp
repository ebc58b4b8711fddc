#include "win32/SysColors.h"

namespace tk {

int32_t GetSysColor(int index)
{
    auto rgb = [](int r, int g, int b) { return int32_t(r | (g << 8) | (b << 16)); };
    switch (index) {
    case COLOR_WINDOW:
        return rgb(255, 255, 255);
    case COLOR_WINDOWTEXT:
        return rgb(0, 0, 0);
    case COLOR_BTNFACE:
        return rgb(240, 240, 240);
    case COLOR_BTNSHADOW:
        return rgb(160, 160, 160);
    case COLOR_GRAYTEXT:
        return rgb(109, 109, 109);
    case COLOR_BTNTEXT:
        return rgb(0, 0, 0);
    case COLOR_BTNHIGHLIGHT:
        return rgb(255, 255, 255);
    case COLOR_3DDKSHADOW:
        return rgb(105, 105, 105);
    case COLOR_3DLIGHT:
        return rgb(227, 227, 227);
    default:
        return 0;
    }
}

} // namespace tk
