#include "browser/Desktop.h"

namespace tk {

Desktop::~Desktop() = default;

} // namespace tk
