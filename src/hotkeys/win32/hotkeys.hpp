#pragma once
#include "hotkeys/hotkey_table.hpp"

#include <windows.h>

#include <cstdint>

namespace bc::win32 {

// An action is written as a thread start routine, `DWORD WINAPI action(LPVOID)`, and is entered
// either on a new thread of its own (the id as the thread parameter) or directly through
// CallWindowProcW (the id in the window-handle position, the rest 0). Both hand the id over in
// the first argument register, which is why one routine is safe to enter both ways on x64.
using HotkeyAction = bc::HotkeyAction;
static_assert(sizeof(void*) == 8, "the two ways of entering an action assume the x64 convention");

// Start routine: makes the empty table. Exit routine: frees the records in order, then the
// table. The polling timer is left running; it dies with the thread that owns it.
void createHotkeyTable();
void releaseHotkeyTable();

// On the GUI thread. Returns the record's id (1000001 upward), or 0 when keyCode reduces to 0.
// The first accepted registration starts the polling timer on the calling thread, every
// intervalMs milliseconds when positive, else every 10. A secondKeyCode that reduces to 0 is
// accepted, but its combination never fires.
std::int32_t registerHotkey(HotkeyAction action, std::int32_t keyCode, std::int32_t modifiers = 0,
                            std::int32_t secondKeyCode = 0, std::int32_t intervalMs = 0,
                            bool callDirectly = false);

// The timer procedure: one snapshot of keys 1 to 255, then the walk over the table.
void CALLBACK pollHotkeys(HWND, UINT, UINT_PTR, DWORD);

// Where the snapshot comes from; GetAsyncKeyState unless a test or benchmark puts its own
// source in. Returns the source it replaces; nullptr restores GetAsyncKeyState.
using KeyStateSource = SHORT(WINAPI*)(int virtualKey);
KeyStateSource setKeyStateSource(KeyStateSource source);

} // namespace bc::win32
