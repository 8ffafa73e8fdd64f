#pragma once
#include <string>
#include <string_view>

namespace bc::win32 {

// ASCII bytes to UTF-16, one unit per byte (the level text and stamps are plain ASCII).
inline std::wstring widenAscii(std::string_view ascii) {
    std::wstring wide;
    wide.reserve(ascii.size());
    for (char c : ascii)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

} // namespace bc::win32
