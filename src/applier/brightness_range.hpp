#pragma once
#include <cstdint>

namespace bc {

// A display's brightness in its own units, as the display reports it.
struct BrightnessRange {
    std::uint32_t minimum = 0;
    std::uint32_t current = 0;
    std::uint32_t maximum = 0;
};

// Only a range with room between its ends can be set to a level.
inline bool isAdjustable(const BrightnessRange& range) {
    return range.maximum > range.minimum;
}

// A level 0..100 in the display's units: 0 is its minimum, 100 its maximum, halves round up.
std::uint32_t scaleLevel(std::int32_t level, const BrightnessRange& range);

// The display's current value as a level 0..100 (the inverse of scaleLevel, rounded).
std::int32_t levelOfCurrent(const BrightnessRange& range);

} // namespace bc
