#pragma once
#include <array>
#include <cstdint>
#include <string_view>

namespace bc {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

enum class MemberKind { PushButton, BalloonTip, CheckBox, Label, Slider };

// One member of the main window as stored: its place in client coordinates, its outer size,
// and the settings the window-wide keyboard and focus rules look at.
struct MemberLayout {
    MemberKind kind;
    int controlId;
    std::wstring_view text;
    Rect rect;
    bool visible;
    bool enabled;
    bool takesFocus;
    int tabOrder;
};

inline constexpr std::wstring_view kWindowTitle = L"\u4eae\u5ea6\u63a7\u5236"; // 亮度控制
inline constexpr Rect kStoredWindowRect{50, 50, 390, 110};

inline constexpr int kSliderId = 1001;     // 滑块条1
inline constexpr int kLabelId = 1002;      // 标签4
inline constexpr int kCheckBoxId = 1003;   // 选择框4
inline constexpr int kButtonId = 1004;     // 按钮1
inline constexpr int kBalloonTipId = 1005; // 气球提示框1

// The members in their stored order.
inline constexpr std::array<MemberLayout, 5> kMembers{{
    {MemberKind::PushButton, kButtonId, L"\u6309\u94ae", {168, 72, 96, 8}, true, true, true, 0},
    {MemberKind::BalloonTip, kBalloonTipId, L"", {24, 64, 48, 16}, false, true, false, 0},
    {MemberKind::CheckBox,
     kCheckBoxId,
     L"\u66f4\u591a\u529f\u80fd",
     {280, 56, 80, 24},
     false,
     true,
     true,
     0},
    {MemberKind::Label, kLabelId, L"\u6807\u7b7e", {267, 21, 72, 24}, true, true, false, 0},
    {MemberKind::Slider, kSliderId, L"", {40, 20, 200, 40}, true, true, true, 0},
}};

// Where the window would be centred on the primary screen (the division truncates).
constexpr std::int32_t centredEdge(std::int32_t screenExtent, std::int32_t windowExtent) {
    return (screenExtent - windowExtent) / 2;
}

// Writing the window's left or top edge limits the value to this range.
constexpr std::int32_t limitWindowEdge(std::int32_t edge) {
    return edge < -32627 ? -32627 : (edge > 32627 ? 32627 : edge);
}

} // namespace bc
