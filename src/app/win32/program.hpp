#pragma once
#include "app/app_state.hpp"

#include <windows.h>

namespace bc::win32 {

// The program-wide state record.
AppState& appState();

// Reads the cursor's screen position into the state.
void captureCursor();

// The start routine: state, hotkey table, exit routine, main window, message loop.
int runProgram(HINSTANCE instance);

} // namespace bc::win32
