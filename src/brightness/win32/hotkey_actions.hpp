#pragma once

namespace bc::win32 {

// Registers Alt+minus (level down 5) and Alt+equals (level up 5).
void registerLevelHotkeys();

} // namespace bc::win32
