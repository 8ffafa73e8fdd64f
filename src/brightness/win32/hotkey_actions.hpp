#pragma once

namespace bc::win32 {

// The hotkey actions: each runs on a thread of its own and hands its step to the GUI thread,
// where the read, the write and the pipeline happen in one go.
unsigned long levelDownHotkeyAction(void* hotkeyId);
unsigned long levelUpHotkeyAction(void* hotkeyId);

// Registers Alt+minus (level down 5) and Alt+equals (level up 5).
void registerLevelHotkeys();

} // namespace bc::win32
