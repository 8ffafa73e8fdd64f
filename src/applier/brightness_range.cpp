#include "applier/brightness_range.hpp"

#include "applier/level_text.hpp"

namespace bc {

std::uint32_t scaleLevel(std::int32_t level, const BrightnessRange& range) {
    if (!isAdjustable(range))
        return range.minimum;
    const std::uint64_t span = range.maximum - range.minimum;
    const auto percent = static_cast<std::uint64_t>(clampLevel(level));
    return range.minimum + static_cast<std::uint32_t>((span * percent + 50) / 100);
}

std::int32_t levelOfCurrent(const BrightnessRange& range) {
    if (!isAdjustable(range) || range.current <= range.minimum)
        return kMinLevel;
    if (range.current >= range.maximum)
        return kMaxLevel;
    const std::uint64_t span = range.maximum - range.minimum;
    const std::uint64_t above = range.current - range.minimum;
    return static_cast<std::int32_t>((above * 100 + span / 2) / span);
}

} // namespace bc
