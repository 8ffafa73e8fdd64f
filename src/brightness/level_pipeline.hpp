#pragma once
#include "app/app_state.hpp"

#include <cstdint>
#include <string>

namespace bc {

// What one level change does to the world; the Win32 shell implements it with the real
// slider, file, clock and process, the tests with a recorder.
class LevelPipelineEffects {
  public:
    virtual ~LevelPipelineEffects() = default;
    virtual std::int32_t readSliderPosition() = 0;
    virtual void writeSliderPosition(std::int32_t position) = 0;
    virtual void writeLevelFile(const std::wstring& fileName, const std::string& bytes) = 0;
    virtual std::string takeTimestampText() = 0;
    virtual void launchApplier() = 0;
    virtual void setLabelText(const std::wstring& text) = 0;
};

// "亮度：" followed by the decimal level.
std::wstring levelLabelText(std::int32_t level);

// One level change: clamp the slider to 100, persist the level, stamp it, start the applier
// unless the previous change was 1 to 99 ms earlier, and refresh the label.
void runLevelPipeline(AppState& state, LevelPipelineEffects& effects);

} // namespace bc
