#include "brightness/level_pipeline.hpp"

#include "brightness/change_stamp.hpp"
#include "brightness/slider_position.hpp"
#include "shared/decimal_text.hpp"
#include "shared/integer_from_text.hpp"

namespace bc {

std::wstring levelLabelText(std::int32_t level) {
    std::wstring text = L"\u4eae\u5ea6\uff1a"; // 亮度：
    for (char c : decimalText(level))
        text.push_back(static_cast<wchar_t>(c));
    return text;
}

void runLevelPipeline(AppState& state, LevelPipelineEffects& effects) {
    // No lower test: writing the position already stores anything below 0 as 0.
    if (effects.readSliderPosition() > kSliderMaximum)
        effects.writeSliderPosition(kSliderMaximum);
    state.currentLevel = effects.readSliderPosition();
    state.levelText = decimalText(state.currentLevel);

    if (!state.levelFileName.empty())
        effects.writeLevelFile(state.levelFileName, state.levelText);

    state.currentChangeStamp = integerFromText(effects.takeTimestampText());
    if (shouldLaunchApplier(stampDifference(state.currentChangeStamp, state.lastChangeStamp)))
        effects.launchApplier();

    effects.setLabelText(levelLabelText(effects.readSliderPosition()));
    state.lastChangeStamp = state.currentChangeStamp;
}

} // namespace bc
