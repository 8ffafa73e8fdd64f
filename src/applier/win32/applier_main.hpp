#pragma once

namespace bc::win32 {

// The whole program: arguments, the turn, the level file and the displays. Returns the exit
// code.
int runApplier(int argc, wchar_t** argv);

} // namespace bc::win32
