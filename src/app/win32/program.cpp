#include "app/win32/program.hpp"

#include "app/win32/main_window.hpp"
#include "brightness/win32/help_balloon.hpp"
#include "brightness/win32/level_routines.hpp"
#include "hotkeys/win32/hotkeys.hpp"

#include <commctrl.h>
#include <float.h>

#include <cstdlib>

namespace bc::win32 {
namespace {

AppState g_state;

void exitRoutine() {
    g_state.levelFileName.clear();
    g_state.levelFileName.shrink_to_fit();
    releaseHotkeyTable();
    g_state.levelText.clear();
    g_state.levelText.shrink_to_fit();
}

void onLabelDoubleClicked() {
    if (HelpBalloon* balloon = helpBalloon())
        onLabelDoubleClick(*balloon);
}

MainWindowEvents programEvents() {
    MainWindowEvents events;
    events.created = onWindowCreated;
    events.levelChanged = onLevelChanged;
    events.windowWheel = onWindowWheel;
    events.labelWheel = onLabelWheel;
    events.sliderWheel = onSliderWheel;
    events.sliderRightButtonDown = onSliderRightButtonDown;
    events.levelStepRequested = applyLevelStep;
    events.labelDoubleClicked = onLabelDoubleClicked;
    events.timer = onMainWindowTimer;
    return events;
}

} // namespace

AppState& appState() {
    return g_state;
}

void captureCursor() {
    POINT cursor{};
    GetCursorPos(&cursor);
    g_state.cursorAtCapture = {cursor.x, cursor.y};
}

int runProgram(HINSTANCE instance) {
    _fpreset();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    createHotkeyTable();
    std::atexit(exitRoutine);
    if (!createMainWindow(instance, programEvents()))
        return 1;
    runMessageLoop();
    return 0;
}

} // namespace bc::win32
