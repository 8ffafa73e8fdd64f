#pragma once
#include "win32/unique_handle.hpp"

#include <string>
#include <string_view>

namespace bc::win32 {

// Starts scripts\brightness.exe below runDirectory hidden through the command interpreter,
// with no handles inherited and the caller's environment and current directory. Returns the
// process, or nothing when it could not be started.
UniqueHandle startApplierHidden(std::wstring_view runDirectory);

// Starts the applier hidden through the command interpreter and waits at most a second for
// it to become idle. A failure to start is silent.
void launchApplier();

// The local clock as the change stamp reads it: milliseconds from one reading, the date-time
// to the second from a second reading.
std::string currentTimestampText();

} // namespace bc::win32
