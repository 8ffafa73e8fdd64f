#pragma once
#include "app/app_state.hpp"
#include "shared/integer_from_text.hpp"

#include <cstdint>
#include <string_view>

namespace bc {

inline constexpr std::wstring_view kLevelFileName = L"brightness.txt";

// The window opens with its top-left corner this far up and left of the cursor, unclamped.
ScreenPoint windowOriginForCursor(ScreenPoint cursor);

// The level file's text ends before the first zero byte or Ctrl-Z; what comes before is read
// with the integer-from-text rule. Fed in pieces so a file of any size reads in bounded memory.
class LevelFileReader {
  public:
    // Returns false once more bytes cannot change the level.
    bool feed(std::string_view bytes);
    std::int32_t level() { return parser_.finish(); }

  private:
    IntegerFromText parser_;
    bool ended_ = false;
};

} // namespace bc
