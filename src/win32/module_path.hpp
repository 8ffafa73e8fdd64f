#pragma once
#include <string>

namespace bc::win32 {

std::wstring modulePath();
// The folder holding the running executable, without a trailing backslash.
std::wstring runDirectory();

} // namespace bc::win32
