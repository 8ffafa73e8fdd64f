#pragma once
#include <string>

namespace bc::win32 {

// Starts the applier hidden through the command interpreter and waits at most a second for
// it to become idle. A failure to start is silent.
void launchApplier();

// The local clock as the change stamp reads it: milliseconds from one reading, the date-time
// to the second from a second reading.
std::string currentTimestampText();

} // namespace bc::win32
