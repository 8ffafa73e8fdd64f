#include "applier/level_text.hpp"

namespace bc {

bool LevelTextReader::feed(std::string_view bytes) {
    if (ended_)
        return false;
    const auto end = bytes.find_first_of(std::string_view("\0\x1A", 2));
    if (end != std::string_view::npos) {
        bytes = bytes.substr(0, end);
        ended_ = true;
    }
    const bool more = parser_.feed(bytes);
    ended_ = ended_ || !more;
    return !ended_;
}

std::int32_t LevelTextReader::level() {
    ended_ = true;
    return clampLevel(parser_.finish());
}

std::int32_t levelFromText(std::string_view bytes) {
    LevelTextReader reader;
    reader.feed(bytes);
    return reader.level();
}

} // namespace bc
