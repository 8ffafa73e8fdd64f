#include "applier/applied_record.hpp"

namespace bc {
namespace {

// FNV-1a; zero marks an empty slot, so no key may hash to it.
std::uint64_t keyHash(std::string_view key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash == 0 ? 1 : hash;
}

std::optional<std::int32_t> fromStored(std::int32_t plusOne) {
    if (plusOne <= 0)
        return std::nullopt;
    return plusOne - 1;
}

} // namespace

std::optional<std::int32_t> AppliedRecord::levelOf(std::string_view key) const {
    const std::uint64_t hash = keyHash(key);
    for (const Slot& slot : slots)
        if (slot.keyHash == hash)
            return fromStored(slot.levelPlusOne);
    return std::nullopt;
}

void AppliedRecord::remember(std::string_view key, std::int32_t level) {
    const std::uint64_t hash = keyHash(key);
    Slot* target = nullptr;
    for (Slot& slot : slots) {
        if (slot.keyHash == hash) {
            target = &slot;
            break;
        }
        if (target == nullptr && slot.keyHash == 0)
            target = &slot;
    }
    // Full: displays beyond the table are simply not remembered and always written.
    if (target == nullptr)
        return;
    target->keyHash = hash;
    target->levelPlusOne = level + 1;
}

void AppliedRecord::forget(std::string_view key) {
    const std::uint64_t hash = keyHash(key);
    for (Slot& slot : slots)
        if (slot.keyHash == hash)
            slot = Slot{};
}

std::optional<std::int32_t> AppliedRecord::wholeLevel() const {
    return fromStored(wholeLevelPlusOne);
}

void AppliedRecord::setWholeLevel(std::optional<std::int32_t> level) {
    wholeLevelPlusOne = level ? *level + 1 : 0;
}

} // namespace bc
