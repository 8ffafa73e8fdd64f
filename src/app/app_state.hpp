#pragma once
#include <cstdint>
#include <string>

namespace bc {

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The program-wide state record, zeroed at start and living until the process ends.
struct AppState {
    std::wstring levelFileName;       // empty until the opening sequence names the file
    std::int32_t currentLevel = 0;    // last level taken from the slider or the file
    std::string levelText;            // decimal text of currentLevel as last written
    std::int32_t lastChangeStamp = 0; // wrapped millisecond stamp of the previous change
    std::int32_t currentChangeStamp = 0;
    ScreenPoint cursorAtCapture;
};

} // namespace bc
