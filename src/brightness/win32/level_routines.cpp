#include "brightness/win32/level_routines.hpp"

#include "app/win32/main_window.hpp"
#include "app/win32/program.hpp"
#include "brightness/level_gestures.hpp"
#include "brightness/level_pipeline.hpp"
#include "brightness/opening_sequence.hpp"
#include "brightness/win32/applier_launch.hpp"
#include "brightness/win32/hotkey_actions.hpp"
#include "brightness/win32/level_file.hpp"

namespace bc::win32 {
namespace {

// How long a level file held open by another program (typically the applier reading it) is
// retried before the write is given up: 200 tries, 50 ms apart.
constexpr UINT kRetryPeriodMs = 50;
constexpr int kRetryLimit = 200;
int g_retriesLeft = 0;

void stopRetrying() {
    if (g_retriesLeft > 0 && mainWindow().window)
        KillTimer(mainWindow().window, kLevelFileRetryTimer);
    g_retriesLeft = 0;
}

// The write that another program held up goes through as soon as the file is free.
void retryLevelFileWrite() {
    const AppState& state = appState();
    const LevelFileWrite result = writeLevelFile(state.levelFileName, state.levelText);
    if (result != LevelFileWrite::Busy || g_retriesLeft == 1)
        stopRetrying();
    else
        --g_retriesLeft;
}

void writeAndRunPipeline(std::int32_t position) {
    mainWindow().position.write(position);
    onLevelChanged();
}

} // namespace

std::int32_t ProgramEffects::readSliderPosition() {
    return mainWindow().position.read();
}

void ProgramEffects::writeSliderPosition(std::int32_t position) {
    mainWindow().position.write(position);
}

void ProgramEffects::writeLevelFile(const std::wstring& fileName, const std::string& bytes) {
    // A newer write supersedes any retry of an older one.
    stopRetrying();
    if (win32::writeLevelFile(fileName, bytes) == LevelFileWrite::Busy && mainWindow().window) {
        g_retriesLeft = kRetryLimit;
        SetTimer(mainWindow().window, kLevelFileRetryTimer, kRetryPeriodMs, nullptr);
    }
}

std::string ProgramEffects::takeTimestampText() {
    return currentTimestampText();
}

void ProgramEffects::launchApplier() {
    win32::launchApplier();
}

void ProgramEffects::setLabelText(const std::wstring& text) {
    win32::setLabelText(text);
}

void onLevelChanged() {
    ProgramEffects effects;
    runLevelPipeline(appState(), effects);
}

void onMainWindowTimer(UINT_PTR id) {
    if (id == kLevelFileRetryTimer && g_retriesLeft > 0)
        retryLevelFileWrite();
}

void stepLevel(std::int32_t distance) {
    writeAndRunPipeline(steppedPosition(mainWindow().position.read(), distance));
}

void onWindowWheel(std::int32_t distance, std::int32_t) {
    stepLevel(distance);
}

void onLabelWheel(std::int32_t distance, std::int32_t) {
    stepLevel(distance);
}

void onSliderWheel(std::int32_t distance, std::int32_t) {
    writeAndRunPipeline(sliderWheelPosition(mainWindow().position.read(), distance));
}

void onSliderRightButtonDown(std::int32_t x, std::int32_t, std::int32_t) {
    writeAndRunPipeline(rightClickPosition(static_cast<std::uint16_t>(x)));
}

void applyLevelStep(std::int32_t step) {
    writeAndRunPipeline(hotkeyPosition(mainWindow().position.read(), step));
}

void onWindowCreated() {
    MainWindow& window = mainWindow();
    AppState& state = appState();
    SetForegroundWindow(window.window);
    state.levelFileName = std::wstring(kLevelFileName);

    state.currentLevel = readLevelFile(state.levelFileName);
    window.position.write(state.currentLevel);
    setLabelText(levelLabelText(window.position.read()));
    state.lastChangeStamp = 0;

    captureCursor();
    const ScreenPoint origin = windowOriginForCursor(state.cursorAtCapture);
    moveWindowLeft(origin.x);
    moveWindowTop(origin.y);

    registerLevelHotkeys();
}

} // namespace bc::win32
