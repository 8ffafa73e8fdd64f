#include "brightness/opening_sequence.hpp"

#include "shared/truncation.hpp"

namespace bc {

ScreenPoint windowOriginForCursor(ScreenPoint cursor) {
    return {truncateToInt32(cursor.x - 300.0), truncateToInt32(cursor.y - 60.0)};
}

} // namespace bc
