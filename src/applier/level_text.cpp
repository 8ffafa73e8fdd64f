#include "applier/level_text.hpp"

namespace bc {

std::int32_t levelFromText(std::string_view bytes) {
    LevelTextReader reader;
    reader.feed(bytes);
    return reader.level();
}

} // namespace bc
