#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace bc {

// The help balloon's markup: a bold first line, then the right-click and shortcut hints,
// with an empty line between each.
// "<b>鼠标滚轮也可以控制亮度</b>\r\n\r\n鼠标右键快捷定位\r\n\r\n快捷键: Alt + 加减号"
inline constexpr std::wstring_view helpBalloonText =
    L"<b>\u9f20\u6807\u6eda\u8f6e\u4e5f\u53ef\u4ee5\u63a7\u5236\u4eae\u5ea6</b>\r\n\r\n"
    L"\u9f20\u6807\u53f3\u952e\u5feb\u6377\u5b9a\u4f4d\r\n\r\n"
    L"\u5feb\u6377\u952e: Alt + \u52a0\u51cf\u53f7";

// The text a balloon shows for an icon index: with a picture at that index the icon goes to
// the left of the text in a one-row table ("<icon handle=0x%X>" takes the handle's low 32
// bits in upper-case hex); a negative index or one past the list leaves the text alone.
std::wstring balloonTextWithIcon(std::wstring_view text, std::int32_t iconIndex,
                                 std::span<const std::uintptr_t> pictureHandles);

} // namespace bc
