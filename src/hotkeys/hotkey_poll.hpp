#pragma once
#include "hotkeys/hotkey_table.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace bc {

// The asynchronous state of virtual keys 1 to 255 as sampled once at the start of a tick:
// negative means down, 0 up, positive (low bit only) up with a press since the last query.
struct KeySnapshot {
    std::array<std::int16_t, 255> state{};

    // Code 0 names no key: it reads as up, so nothing outside the array is ever looked at.
    std::int16_t of(std::uint8_t code) const { return code == 0 ? 0 : state[code - 1u]; }
    void set(std::uint8_t code, std::int16_t value) {
        if (code != 0)
            state[code - 1u] = value;
    }
};

// Sum of the weights of the modifier keys that are down (generic Alt, Ctrl, Shift and the left
// Windows key; the right Windows key does not count).
std::int32_t heldModifiers(const KeySnapshot& keys);

// Moves one record's phase along by this tick's snapshot and tells whether it fires now. A
// second key code that reduces to 0 names no key, so such a combination never fires.
bool advanceHotkey(HotkeyRecord& record, const KeySnapshot& keys);

// One tick over the table: every record present when the tick starts is advanced in table
// order and `fire` is called with each record that fires, before the next one is looked at.
// `fire` may register hotkeys; records it appends are first looked at on the next tick.
// Nothing here allocates.
template <typename Fire>
void tickHotkeys(HotkeyTable& table, const KeySnapshot& keys, Fire&& fire) {
    const std::size_t n = table.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        HotkeyRecord& record = *table.records[i];
        if (advanceHotkey(record, keys))
            fire(record);
    }
}

} // namespace bc
