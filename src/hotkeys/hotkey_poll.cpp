#include "hotkeys/hotkey_poll.hpp"

namespace bc {

namespace {

constexpr std::uint8_t kVkShift = 16;
constexpr std::uint8_t kVkControl = 17;
constexpr std::uint8_t kVkMenu = 18;
constexpr std::uint8_t kVkLeftWin = 91;

bool isDown(const KeySnapshot& keys, std::uint8_t code) {
    return keys.of(code) < 0;
}

// The press is used up before the checks, so a press with the wrong modifiers stays spent.
bool attempt(HotkeyRecord& record, const KeySnapshot& keys) {
    if (record.phase == kPhaseIdle || record.phase == kPhaseSpent)
        return false;
    record.phase = kPhaseSpent;
    // Exact equality: the sum is a small integer, so no tolerance could ever matter.
    if (heldModifiers(keys) != record.modifiers)
        return false;
    if (record.secondKeyCode != 0) {
        const std::uint8_t second = reducedKeyCode(record.secondKeyCode);
        if (second == 0 || !isDown(keys, second))
            return false;
    }
    return true;
}

} // namespace

std::int32_t heldModifiers(const KeySnapshot& keys) {
    std::int32_t sum = 0;
    if (isDown(keys, kVkMenu))
        sum += kModAlt;
    if (isDown(keys, kVkControl))
        sum += kModCtrl;
    if (isDown(keys, kVkShift))
        sum += kModShift;
    if (isDown(keys, kVkLeftWin))
        sum += kModLeftWin;
    return sum;
}

bool advanceHotkey(HotkeyRecord& record, const KeySnapshot& keys) {
    const std::int16_t s = keys.of(reducedKeyCode(record.keyCode));
    if (s == 0) {
        if (record.phase != kPhaseDown) {
            record.phase = kPhaseIdle;
            return false;
        }
        record.phase = kPhaseReleased;
        return attempt(record, keys);
    }
    if (s < 0) {
        if (record.phase == kPhaseIdle)
            record.phase = kPhaseDown;
        if (record.keyCode < 0)
            return false;
        return attempt(record, keys);
    }
    return attempt(record, keys);
}

} // namespace bc
