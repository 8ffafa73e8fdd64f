#pragma once
#include <string>
#include <string_view>

namespace bc::win32 {

std::string utf8FromWide(std::wstring_view wide);

// UTF-8 text to standard output or error: through the console's wide calls when there is one,
// as UTF-8 bytes when redirected. Failures are ignored.
void writeOut(std::string_view utf8);
void writeError(std::string_view utf8);

} // namespace bc::win32
