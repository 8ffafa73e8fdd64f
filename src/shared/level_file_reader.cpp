#include "shared/level_file_reader.hpp"

namespace bc {

bool LevelFileReader::feed(std::string_view bytes) {
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

} // namespace bc
