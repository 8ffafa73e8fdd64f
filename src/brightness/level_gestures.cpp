#include "brightness/level_gestures.hpp"

#include "shared/truncation.hpp"

#include <cmath>

namespace bc {

std::int32_t wheelDistance(std::uint16_t deltaWord) {
    const auto delta = static_cast<std::int16_t>(deltaWord);
    return truncateToInt32(delta / 120.0);
}

std::int32_t modifierMask(bool ctrl, bool shift, bool alt) {
    return (ctrl ? kModifierCtrl : 0) + (shift ? kModifierShift : 0) + (alt ? kModifierAlt : 0);
}

std::int32_t steppedPosition(std::int32_t position, std::int32_t distance) {
    return truncateToInt32(distance > 0 ? position + 1.0 : position - 1.0);
}

std::int32_t sliderWheelPosition(std::int32_t position, std::int32_t distance) {
    const double p = position;
    const double d = distance;
    return truncateToInt32(distance > 0 ? p + 2.0 * d + 1.0 : p - 1.0 + 2.0 * d);
}

std::int32_t rightClickPosition(std::uint16_t xWord) {
    return truncateToInt32(std::floor(xWord / 2.0));
}

std::int32_t hotkeyPosition(std::int32_t position, std::int32_t step) {
    return truncateToInt32(static_cast<double>(position) + step);
}

} // namespace bc
