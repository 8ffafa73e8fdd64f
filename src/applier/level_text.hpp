#pragma once
#include "shared/level_file_reader.hpp"

#include <cstdint>
#include <string_view>

namespace bc {

inline constexpr std::int32_t kMinLevel = 0;
inline constexpr std::int32_t kMaxLevel = 100;

inline std::int32_t clampLevel(std::int32_t level) {
    return level < kMinLevel ? kMinLevel : (level > kMaxLevel ? kMaxLevel : level);
}

// The level file read exactly as the utility reads it, clamped to 0..100.
class LevelTextReader {
  public:
    // Returns false once further bytes cannot change the level.
    bool feed(std::string_view bytes) { return reader_.feed(bytes); }
    std::int32_t level() { return clampLevel(reader_.level()); }

  private:
    LevelFileReader reader_;
};

std::int32_t levelFromText(std::string_view bytes);

} // namespace bc
