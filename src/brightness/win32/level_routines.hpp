#pragma once
#include "brightness/level_pipeline.hpp"

#include <windows.h>

#include <cstdint>
#include <string>

namespace bc::win32 {

// What a level change does to the real slider, level file, clock, applier and label. A write
// that another program holds up is retried on the main window's timer.
class ProgramEffects : public LevelPipelineEffects {
  public:
    std::int32_t readSliderPosition() override;
    void writeSliderPosition(std::int32_t position) override;
    void writeLevelFile(const std::wstring& fileName, const std::string& bytes) override;
    std::string takeTimestampText() override;
    void launchApplier() override;
    void setLabelText(const std::wstring& text) override;
};

// Every change of the level ends here: clamp, write the level file, stamp, maybe start the
// applier, refresh the label. GUI thread.
void onLevelChanged();

// The input gestures, bound to the main window's events. GUI thread.
void stepLevel(std::int32_t distance);
void onWindowWheel(std::int32_t distance, std::int32_t modifiers);
void onLabelWheel(std::int32_t distance, std::int32_t modifiers);
void onSliderWheel(std::int32_t distance, std::int32_t modifiers);
void onSliderRightButtonDown(std::int32_t x, std::int32_t y, std::int32_t modifiers);

// A hotkey's step, read, written and run through the pipeline in one go on the GUI thread, so
// steps asked for at the same time from several threads never overwrite each other.
void applyLevelStep(std::int32_t step);

// The window's created event: restore the level, place the window at the cursor, register
// the hotkeys.
void onWindowCreated();

// Timer of the main window that retries a level file write another program held up.
inline constexpr UINT_PTR kLevelFileRetryTimer = 1;
void onMainWindowTimer(UINT_PTR id);

} // namespace bc::win32
