#pragma once
#include "shared/integer_from_text.hpp"

#include <cstdint>
#include <string_view>

namespace bc {

// The level file's text ends before the first zero byte or Ctrl-Z (an old end-of-file mark some
// editors still write); what comes before is read with the integer-from-text rule. Fed in
// pieces, so a file of any size reads in bounded memory.
class LevelFileReader {
  public:
    // Returns false once more bytes cannot change the level.
    bool feed(std::string_view bytes);
    std::int32_t level() {
        ended_ = true;
        return parser_.finish();
    }

  private:
    IntegerFromText parser_;
    bool ended_ = false;
};

} // namespace bc
