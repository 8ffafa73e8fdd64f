#include "app/win32/main_window.hpp"
#include "app/win32/program.hpp"
#include "brightness/win32/hotkey_actions.hpp"
#include "brightness/win32/level_routines.hpp"
#include "window_test_support.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bc::test::pumpFor;
using bc::test::pumpUntil;
using bc::win32::mainWindow;

std::vector<std::string> g_events;

void record(const char* what, std::int32_t a) {
    g_events.push_back(std::string(what) + " " + std::to_string(a));
}

// The program's gesture routines, with every event also written down.
bc::win32::MainWindowEvents recordingEvents() {
    bc::win32::MainWindowEvents e;
    e.levelChanged = [] {
        record("changed", mainWindow().position.read());
        bc::win32::onLevelChanged();
    };
    e.windowWheel = [](std::int32_t d, std::int32_t m) {
        record("windowWheel", d);
        bc::win32::onWindowWheel(d, m);
    };
    e.labelWheel = [](std::int32_t d, std::int32_t m) {
        record("labelWheel", d);
        bc::win32::onLabelWheel(d, m);
    };
    e.sliderWheel = [](std::int32_t d, std::int32_t m) {
        record("sliderWheel", d);
        bc::win32::onSliderWheel(d, m);
    };
    e.sliderRightButtonDown = [](std::int32_t x, std::int32_t y, std::int32_t m) {
        record("sliderRight", x);
        bc::win32::onSliderRightButtonDown(x, y, m);
    };
    e.levelStepRequested = bc::win32::applyLevelStep;
    return e;
}

class LevelGesturesTest : public testing::Test {
  protected:
    bc::test::ScratchDirectory scratch;
    void SetUp() override {
        g_events.clear();
        ASSERT_TRUE(bc::win32::createMainWindow(GetModuleHandleW(nullptr), recordingEvents()));
        bc::win32::appState().levelFileName = L"brightness.txt";
        pumpFor(20);
        g_events.clear();
    }
    void TearDown() override {
        if (mainWindow().window)
            DestroyWindow(mainWindow().window);
        pumpFor(20);
        bc::win32::appState() = bc::AppState{};
    }
    // Posts an input message as the system would and lets the loop serve it.
    void post(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageW(target, message, wParam, lParam);
        pumpFor(30);
    }
    std::int32_t level() const { return mainWindow().position.read(); }
    std::wstring label() const { return bc::test::windowText(mainWindow().label); }
};

TEST_F(LevelGesturesTest, WheelGoesToExactlyTheAddressedWindow) {
    struct {
        HWND (*target)();
        int delta;
        std::int32_t from, to;
        const char* handler;
    } cases[] = {
        {[] { return mainWindow().window; }, 120, 50, 51, "windowWheel 1"},
        {[] { return mainWindow().window; }, -240, 50, 49, "windowWheel -2"},
        {[] { return mainWindow().label; }, 240, 50, 51, "labelWheel 2"},
        {[] { return mainWindow().label; }, 60, 50, 49, "labelWheel 0"},
        // Wine's trackbar hands the wheel to its parent without moving, so only the handler's
        // own +3/-3 shows here; Windows' trackbar may move its thumb further.
        {[] { return mainWindow().slider; }, 120, 50, 53, "sliderWheel 1"},
        {[] { return mainWindow().slider; }, -120, 50, 47, "sliderWheel -1"},
        {[] { return mainWindow().slider; }, 120, 99, 100, "sliderWheel 1"},
        {[] { return mainWindow().window; }, -120, 0, 0, "windowWheel -1"},
    };
    for (const auto& c : cases) {
        mainWindow().position.write(c.from);
        g_events.clear();
        post(c.target(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.delta)),
             MAKELPARAM(300, 300));
        ASSERT_FALSE(g_events.empty()) << c.handler;
        EXPECT_EQ(g_events.front(), c.handler);
        // Only one handler runs per message: nothing bubbles to the window.
        int handlers = 0;
        for (const auto& e : g_events)
            handlers += e.find("Wheel") != std::string::npos;
        EXPECT_EQ(handlers, 1) << c.handler;
        EXPECT_EQ(level(), c.to) << c.handler;
    }
}

TEST_F(LevelGesturesTest, RightClickOnTheSliderJumpsToHalfItsXAndRunsThePipelineOnce) {
    struct {
        int x;
        std::int32_t level;
    } cases[] = {{0, 0}, {1, 0}, {57, 28}, {199, 99}};
    for (const auto& c : cases) {
        mainWindow().position.write(70);
        g_events.clear();
        post(mainWindow().slider, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(c.x, 10));
        EXPECT_EQ(level(), c.level) << c.x;
        EXPECT_EQ(label(), L"\u4eae\u5ea6\uff1a" + std::to_wstring(c.level));
        // The handler runs the pipeline itself; the control reports no move of its own.
        EXPECT_EQ(g_events, std::vector<std::string>{"sliderRight " + std::to_string(c.x)});
    }
    // A right click anywhere else changes nothing.
    g_events.clear();
    post(mainWindow().window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    post(mainWindow().label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(g_events.empty());
}

// The hotkey actions, started on threads of their own all at once as the dispatcher starts
// them, never overwrite each other's steps, even while the GUI thread is busy for a while.
TEST_F(LevelGesturesTest, HotkeyActionsOnManyThreadsNeverLoseSteps) {
    struct {
        unsigned long (*action)(void*);
        std::int32_t from;
        int threads;
        std::int32_t to;
    } cases[] = {{bc::win32::levelUpHotkeyAction, 0, 20, 100},
                 {bc::win32::levelDownHotkeyAction, 50, 4, 30}};
    for (const auto& c : cases) {
        mainWindow().position.write(c.from);
        std::vector<HANDLE> threads;
        for (int i = 0; i < c.threads; ++i)
            threads.push_back(CreateThread(nullptr, 0, c.action, nullptr, 0, nullptr));
        Sleep(300); // the GUI thread is busy elsewhere meanwhile
        // The actions may wait on the GUI thread; serve it while they end.
        EXPECT_TRUE(pumpUntil(
            [&] {
                return WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(),
                                              TRUE, 0) == WAIT_OBJECT_0;
            },
            5000));
        for (HANDLE t : threads)
            CloseHandle(t);
        EXPECT_TRUE(pumpUntil([&] { return mainWindow().position.read() == c.to; }, 3000));
        pumpFor(50);
        EXPECT_EQ(level(), c.to);
        EXPECT_EQ(label(), L"\u4eae\u5ea6\uff1a" + std::to_wstring(c.to));
    }
}

} // namespace
