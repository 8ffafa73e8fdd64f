#pragma once
#include "app/app_state.hpp"
#include "shared/level_file_reader.hpp"

#include <cstdint>
#include <string_view>

namespace bc {

inline constexpr std::wstring_view kLevelFileName = L"brightness.txt";

// The window opens with its top-left corner this far up and left of the cursor, unclamped.
ScreenPoint windowOriginForCursor(ScreenPoint cursor);

} // namespace bc
