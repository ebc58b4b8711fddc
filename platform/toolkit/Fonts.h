#pragma once

namespace tk {

// Maps the classic face names the forms ask for onto installed faces with the
// same cell metrics: "宋体"/SimSun onto AR PL SungtiL GB, Courier New onto
// Liberation Mono. Call once after the application object exists.
void setUpFonts();

} // namespace tk
