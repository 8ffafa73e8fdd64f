#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace bc::win32 {

class HelpBalloon;

// The slider's position as the program sees it: kept beside the control, so a programmatic
// write above the thumb's range reads back unchanged.
class SliderPosition {
  public:
    void attach(HWND slider) { slider_ = slider; }
    std::int32_t read() const { return stored_; }
    // Stores 0..32767 and shows the thumb at 0..100; the control sends no notification.
    void write(std::int32_t position);
    // The control moved its own thumb: take its position.
    void takeFromControl();

  private:
    void publish() const;
    HWND slider_ = nullptr;
    std::int32_t stored_ = 0;
};

// What the window calls when its events happen. The program binds its routines; tests may
// bind their own.
struct MainWindowEvents {
    void (*created)() = nullptr;
    void (*levelChanged)() = nullptr;
    void (*windowWheel)(std::int32_t distance, std::int32_t modifiers) = nullptr;
    void (*labelWheel)(std::int32_t distance, std::int32_t modifiers) = nullptr;
    void (*sliderWheel)(std::int32_t distance, std::int32_t modifiers) = nullptr;
    void (*sliderRightButtonDown)(std::int32_t x, std::int32_t y, std::int32_t modifiers) = nullptr;
    void (*labelDoubleClicked)() = nullptr;
    void (*levelStepRequested)(std::int32_t step) = nullptr;
    void (*timer)(UINT_PTR id) = nullptr;
};

struct MainWindow {
    HWND window = nullptr;
    HWND slider = nullptr;     // 滑块条1
    HWND label = nullptr;      // 标签4
    HWND checkBox = nullptr;   // 选择框4
    HWND button = nullptr;     // 按钮1
    HWND balloonTip = nullptr; // 气球提示框1's placeholder
    HICON icon = nullptr;
    SliderPosition position;
    MainWindowEvents events;
};

// The one main window of the program.
MainWindow& mainWindow();

// The balloon tip component 气球提示框1, which lives as long as the main window; null before.
HelpBalloon* helpBalloon();

// Builds the window hidden with its members, raises the created event, then shows and
// activates it. Returns false when the window cannot be built.
bool createMainWindow(HINSTANCE instance, const MainWindowEvents& events);

// The window's part of the message loop: keyboard rules, dragging by any point and the input
// events, before the message is dispatched. Returns true when the message is used up.
bool preTranslateMainWindowMessage(const MSG& message);

// Runs the message loop until the window has closed.
void runMessageLoop();

// The label's text; the label repaints without erasing.
void setLabelText(const std::wstring& text);

// Moves the window's left or top edge, keeping its size.
void moveWindowLeft(std::int32_t left);
void moveWindowTop(std::int32_t top);

// Asks the GUI thread to move the level by a step; safe from any thread.
void postLevelStep(std::int32_t step);

// Message the main window handles for a level step asked for from another thread.
inline constexpr UINT kLevelStepMessage = WM_APP + 1;

} // namespace bc::win32
