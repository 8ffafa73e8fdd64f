#include "brightness/help_balloon_text.hpp"

namespace bc {

std::wstring balloonTextWithIcon(std::wstring_view text, std::int32_t iconIndex,
                                 std::span<const std::uintptr_t> pictureHandles) {
    if (iconIndex < 0 || static_cast<std::size_t>(iconIndex) >= pictureHandles.size())
        return std::wstring(text);

    auto handle = static_cast<std::uint32_t>(pictureHandles[static_cast<std::size_t>(iconIndex)]);
    std::wstring hex;
    do {
        hex.insert(hex.begin(), L"0123456789ABCDEF"[handle % 16]);
        handle /= 16;
    } while (handle != 0);

    std::wstring result = L"<table><tr><td><icon handle=0x";
    result += hex;
    result += L"></td><td>";
    result += text;
    result += L"</td></tr></table>";
    return result;
}

} // namespace bc
