#include "app/focus_rules.hpp"

namespace bc {

std::optional<std::size_t> defaultFocusMember(std::span<const FocusCandidate> members) {
    std::optional<std::size_t> best;
    for (std::size_t i = members.size(); i-- > 0;) {
        if (!canTakeFocus(members[i]))
            continue;
        if (!best || members[i].tabOrder < members[*best].tabOrder)
            best = i;
    }
    return best;
}

std::optional<std::size_t> nextTabMember(std::span<const FocusCandidate> members,
                                         std::optional<std::size_t> current, bool backwards) {
    const std::size_t n = members.size();
    if (n == 0)
        return std::nullopt;
    std::size_t i = current ? *current : (backwards ? 0 : n - 1);
    for (std::size_t step = 0; step < n; ++step) {
        i = backwards ? (i + n - 1) % n : (i + 1) % n;
        if (canTakeFocus(members[i]))
            return i;
    }
    return std::nullopt;
}

} // namespace bc
