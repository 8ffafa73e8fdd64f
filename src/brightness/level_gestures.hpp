#pragma once
#include <cstdint>

namespace bc {

// Modifier mask carried by the wheel and right-button events.
inline constexpr std::int32_t kModifierCtrl = 1;
inline constexpr std::int32_t kModifierShift = 2;
inline constexpr std::int32_t kModifierAlt = 4;

inline constexpr std::int32_t kHotkeyStep = 5;

// Wheel distance: the signed 16-bit delta over 120, truncated toward zero, so a partial
// notch from a high-resolution wheel or touchpad is 0.
std::int32_t wheelDistance(std::uint16_t deltaWord);

std::int32_t modifierMask(bool ctrl, bool shift, bool alt);

// Over the window or the label only the sign matters: up one, or down one for 0 and below.
std::int32_t steppedPosition(std::int32_t position, std::int32_t distance);

// Over the slider: two per notch plus one, in the wheel's direction; 0 moves down one.
std::int32_t sliderWheelPosition(std::int32_t position, std::int32_t distance);

// A right click on the slider jumps to half its x pixel, rounded down.
std::int32_t rightClickPosition(std::uint16_t xWord);

// A hotkey moves the level by a signed step.
std::int32_t hotkeyPosition(std::int32_t position, std::int32_t step);

} // namespace bc
