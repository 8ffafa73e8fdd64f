#pragma once
#include <cstddef>
#include <optional>
#include <span>

namespace bc {

// What the focus rules need to know of a member at the moment they run.
struct FocusCandidate {
    bool visible;
    bool enabled;
    bool takesFocus;
    int tabOrder;
};

inline bool canTakeFocus(const FocusCandidate& c) {
    return c.visible && c.enabled && c.takesFocus;
}

// The member that gets the focus when nothing remembered can: the lowest tab order among the
// members that can take it, scanning from the last stored member to the first, the first
// found winning among equals.
std::optional<std::size_t> defaultFocusMember(std::span<const FocusCandidate> members);

// Tab and Shift+Tab: the next or previous member in stored order that can take the focus,
// wrapping around. With nothing focused, Tab starts from the first member.
std::optional<std::size_t> nextTabMember(std::span<const FocusCandidate> members,
                                         std::optional<std::size_t> current, bool backwards);

} // namespace bc
