#include "brightness/win32/hotkey_actions.hpp"

namespace bc::win32 {

void registerLevelHotkeys() {}

} // namespace bc::win32
