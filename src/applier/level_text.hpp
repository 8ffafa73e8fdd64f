#pragma once
#include "shared/integer_from_text.hpp"

#include <cstdint>
#include <string_view>

namespace bc {

inline constexpr std::int32_t kMinLevel = 0;
inline constexpr std::int32_t kMaxLevel = 100;

inline std::int32_t clampLevel(std::int32_t level) {
    return level < kMinLevel ? kMinLevel : (level > kMaxLevel ? kMaxLevel : level);
}

// The level file read with the utility's own integer-from-text rule. The text ends at the
// first zero byte or Ctrl-Z (an old end-of-file mark some editors still write); the result is
// clamped to 0..100. Fed in pieces, so the shell can read the file in small chunks.
class LevelTextReader {
  public:
    // Returns false once further bytes cannot change the level.
    bool feed(std::string_view bytes);
    std::int32_t level();

  private:
    IntegerFromText parser_;
    bool ended_ = false;
};

std::int32_t levelFromText(std::string_view bytes);

} // namespace bc
