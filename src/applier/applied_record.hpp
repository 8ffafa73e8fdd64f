#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

namespace bc {

// The levels last applied, per display, shared by the appliers of one session. Plain data of a
// fixed size, so the shell can keep it in a named memory section; all zeros is the empty
// record. Displays are known by a hash of their key, levels are stored plus one so that zero
// means "none".
struct AppliedRecord {
    static constexpr std::size_t kSlots = 32;
    struct Slot {
        std::uint64_t keyHash;
        std::int32_t levelPlusOne;
        std::uint32_t unused;
    };

    // Set when one run left every display it found at this level: a later applier that reads
    // the same level has nothing to do and need not even open the displays.
    std::int32_t wholeLevelPlusOne;
    std::uint32_t unused;
    Slot slots[kSlots];

    std::optional<std::int32_t> levelOf(std::string_view key) const;
    void remember(std::string_view key, std::int32_t level);
    void forget(std::string_view key);

    std::optional<std::int32_t> wholeLevel() const;
    void setWholeLevel(std::optional<std::int32_t> level);
};

static_assert(std::is_trivially_copyable_v<AppliedRecord> &&
              std::is_standard_layout_v<AppliedRecord>);

} // namespace bc
