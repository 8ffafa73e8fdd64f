#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace bc {

// The routine a hotkey runs; it receives the hotkey id as its first argument and its result is
// ignored. The shape is that of a thread start routine (on 64-bit Windows, where WINAPI adds
// nothing, this is exactly LPTHREAD_START_ROUTINE); the shell also enters it as a window
// procedure, which is sound on x64 because the four arguments travel in registers and a callee
// that declares fewer simply never looks at the rest.
using HotkeyAction = unsigned long (*)(void* hotkeyId);

// Press-tracking states of a record.
inline constexpr std::uint8_t kPhaseIdle = 0;
inline constexpr std::uint8_t kPhaseDown = 1;     // seen down; persists only for negative codes
inline constexpr std::uint8_t kPhaseReleased = 2; // seen up after down; lives within one tick
inline constexpr std::uint8_t kPhaseSpent = 88;   // press used up until the key is seen up

// Modifier weights as a record's `modifiers` sums them.
inline constexpr std::int32_t kModAlt = 1;
inline constexpr std::int32_t kModCtrl = 2;
inline constexpr std::int32_t kModShift = 4;
inline constexpr std::int32_t kModLeftWin = 8;

inline constexpr std::int32_t kFirstHotkeyId = 1000001;
inline constexpr std::int32_t kDefaultPollPeriodMs = 10;

struct HotkeyRecord {
    std::int32_t id = 0;
    HotkeyAction action = nullptr;
    std::int32_t keyCode = 0;       // sign: positive fires on press, negative on release
    std::int32_t modifiers = 0;     // exact set of modifiers that must be down
    std::int32_t secondKeyCode = 0; // 0 for none; otherwise a key that must be down too
    std::uint8_t phase = kPhaseIdle;
    std::int32_t callDirectly = 0; // nonzero: run on the polling thread, else on a new thread
};

// Records are owned one by one so that a record never moves, even when a registration made
// while the table is being walked grows the list.
struct HotkeyTable {
    std::vector<std::unique_ptr<HotkeyRecord>> records;
};

// The virtual-key code a key code watches: its magnitude, without overflow, modulo 256.
constexpr std::uint8_t reducedKeyCode(std::int32_t keyCode) {
    const auto raw = static_cast<std::uint32_t>(keyCode);
    const std::uint32_t magnitude = keyCode < 0 ? 0u - raw : raw;
    return static_cast<std::uint8_t>(magnitude & 0xFFu);
}

struct HotkeyRegistration {
    std::int32_t id = 0;            // 0: refused
    std::int32_t timerPeriodMs = 0; // > 0: the caller must start the polling timer with it
};

// Adds a combination or updates the action and call mode of the one with the same three raw
// values. A key code that reduces to 0 is refused and leaves the table as it was. Only the
// registration that puts the first record into the table asks for the timer.
HotkeyRegistration addHotkey(HotkeyTable& table, HotkeyAction action, std::int32_t keyCode,
                             std::int32_t modifiers, std::int32_t secondKeyCode,
                             std::int32_t intervalMs, bool callDirectly);

// Frees the records in table order, then the list itself.
void releaseHotkeyRecords(HotkeyTable& table);

} // namespace bc
