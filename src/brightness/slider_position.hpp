#pragma once
#include <algorithm>
#include <cstdint>

namespace bc {

// The slider's position is kept beside the control: a write stores 0..32767 and shows the
// thumb at 0..100, so a programmatic write above the range reads back unchanged until the
// level pipeline brings it down to 100.
inline constexpr std::int32_t kSliderMinimum = 0;
inline constexpr std::int32_t kSliderMaximum = 100;
inline constexpr std::int32_t kStoredPositionMaximum = 32767;

constexpr std::int32_t storedSliderPosition(std::int32_t written) {
    return std::clamp(written, 0, kStoredPositionMaximum);
}

constexpr std::int32_t thumbPosition(std::int32_t stored) {
    return std::clamp(stored, kSliderMinimum, kSliderMaximum);
}

} // namespace bc
