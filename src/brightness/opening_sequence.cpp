#include "brightness/opening_sequence.hpp"

#include "shared/truncation.hpp"

namespace bc {

ScreenPoint windowOriginForCursor(ScreenPoint cursor) {
    return {truncateToInt32(cursor.x - 300.0), truncateToInt32(cursor.y - 60.0)};
}

bool LevelFileReader::feed(std::string_view bytes) {
    if (ended_)
        return false;
    const auto end = bytes.find_first_of(std::string_view("\0\x1A", 2));
    if (end != std::string_view::npos) {
        bytes = bytes.substr(0, end);
        ended_ = true;
    }
    const bool more = parser_.feed(bytes);
    if (!more)
        ended_ = true;
    return !ended_;
}

} // namespace bc
