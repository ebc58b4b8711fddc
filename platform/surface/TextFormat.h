#pragma once
// The flags of DrawTextA that the surface honours.

#include <cstdint>

namespace tk {

constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_EXPANDTABS = 0x40;

} // namespace tk
