// The hotkey shell under Wine: the polling timer, the snapshot and the two ways of dispatch.
// Each case runs on a thread of its own, because the polling timer is never stopped: it belongs
// to the thread that registered first and ends with it.
#include "hotkeys/win32/hotkeys.hpp"

#include "window_test_support.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using bc::test::pumpFor;
using bc::test::pumpUntil;

using bc::win32::registerHotkey;

constexpr int kAlt = VK_MENU, kMinus = VK_OEM_MINUS, kEquals = VK_OEM_PLUS;

// Synthetic key state for the snapshot, and a log of what the shell asked for.
std::atomic<SHORT> fakeKeys[256];
std::vector<int> queriedKeys;     // GUI thread only
std::vector<LONGLONG> tickStarts; // QPC time of each query of key 1
SHORT WINAPI fakeKeyState(int vk) {
    queriedKeys.push_back(vk);
    if (vk == 1) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        tickStarts.push_back(now.QuadPart);
    }
    return vk >= 0 && vk < 256 ? fakeKeys[vk].load() : 0;
}

void setKeys(std::initializer_list<int> down) {
    for (auto& k : fakeKeys)
        k = 0;
    for (int vk : down)
        fakeKeys[vk] = static_cast<SHORT>(0x8000);
}

// Runs the body on a new thread with a hotkey table of its own and waits for it to end.
void onFreshGuiThread(const std::function<void()>& body) {
    struct Context {
        const std::function<void()>* body;
    } context{&body};
    auto start = [](LPVOID p) -> DWORD {
        bc::win32::createHotkeyTable();
        (*static_cast<Context*>(p)->body)();
        bc::win32::releaseHotkeyTable();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, start, &context, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

class HotkeyShell : public ::testing::Test {
  protected:
    void SetUp() override {
        setKeys({});
        queriedKeys.clear();
        tickStarts.clear();
        previous_ = bc::win32::setKeyStateSource(&fakeKeyState);
    }
    void TearDown() override { bc::win32::setKeyStateSource(previous_); }

  private:
    bc::win32::KeyStateSource previous_ = nullptr;
};

double meanTickMs() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const auto span = static_cast<double>(tickStarts.back() - tickStarts.front());
    return span * 1000.0 / static_cast<double>(frequency.QuadPart) /
           static_cast<double>(tickStarts.size() - 1);
}

DWORD WINAPI idleAction(LPVOID) {
    return 0;
}

TEST_F(HotkeyShell, TimerTicksAtThePeriodOfTheFirstAcceptedRegistration) {
    const struct {
        std::int32_t firstInterval;
        double periodMs;
    } cases[] = {{50, 50}, {0, 10}, {-5, 10}};
    for (const auto& c : cases) {
        tickStarts.clear();
        onFreshGuiThread([&] {
            // A refused key starts nothing.
            EXPECT_EQ(registerHotkey(idleAction, 256, 1, 0, 20), 0);
            pumpUntil(nullptr, 150);
            EXPECT_TRUE(tickStarts.empty()) << "ticks after a refused registration";
            EXPECT_EQ(registerHotkey(idleAction, kMinus, 1, 0, c.firstInterval), 1000001);
            // Later intervals change nothing.
            EXPECT_EQ(registerHotkey(idleAction, kEquals, 1, 0, 500), 1000002);
            pumpUntil([] { return tickStarts.size() >= 21; }, 3000);
        });
        ASSERT_GE(tickStarts.size(), 21u) << c.firstInterval;
        std::printf("period %d: mean tick %.2f ms\n", c.firstInterval, meanTickMs());
        // Wine, like Windows, may deliver a tick late but never early; allow for a loaded host.
        EXPECT_GE(meanTickMs(), c.periodMs * 0.9) << c.firstInterval;
        EXPECT_LE(meanTickMs(), c.periodMs * 1.6) << c.firstInterval;
    }
}

// What the actions saw: the thread they ran on and their first argument (the id, both ways).
struct Seen {
    std::atomic<DWORD> thread{0};
    std::atomic<INT_PTR> argument{0};
    std::atomic<size_t> keysQueried{0};
    std::atomic<size_t> ticksStarted{0};
    std::atomic<bool> waitedInVain{false};
};
Seen onThread, direct;
HANDLE directHasRun = nullptr;

DWORD WINAPI threadAction(LPVOID id) {
    onThread.argument = reinterpret_cast<INT_PTR>(id);
    onThread.thread = GetCurrentThreadId();
    // The direct firing later in the same tick lets this go on; a dispatcher that waited for
    // this thread would never get there.
    onThread.waitedInVain = WaitForSingleObject(directHasRun, 5000) != WAIT_OBJECT_0;
    return 0;
}

DWORD WINAPI directAction(LPVOID first) {
    direct.argument = reinterpret_cast<INT_PTR>(first);
    direct.thread = GetCurrentThreadId();
    direct.keysQueried = queriedKeys.size();
    direct.ticksStarted = tickStarts.size();
    SetEvent(directHasRun);
    return 0;
}

TEST_F(HotkeyShell, ThreadFiringRunsOffTheGuiThreadAndADirectOneOnItWithinTheTick) {
    directHasRun = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    onThread.thread = 0;
    direct.thread = 0;
    DWORD gui = 0;
    onFreshGuiThread([&] {
        gui = GetCurrentThreadId();
        EXPECT_EQ(registerHotkey(threadAction, kMinus, 1), 1000001);
        EXPECT_EQ(registerHotkey(directAction, kEquals, 1, 0, 0, true), 1000002);
        pumpUntil(nullptr, 50);
        queriedKeys.clear();
        tickStarts.clear();
        setKeys({kAlt, kMinus, kEquals});
        EXPECT_TRUE(pumpUntil([] { return direct.thread != 0; }, 2000));
    });
    ASSERT_TRUE(pumpUntil([] { return onThread.thread != 0; }, 2000));
    EXPECT_NE(onThread.thread.load(), gui);
    EXPECT_EQ(onThread.argument.load(), 1000001);
    EXPECT_EQ(direct.thread.load(), gui);
    EXPECT_EQ(direct.argument.load(), 1000002);
    // The whole snapshot, keys 1 to 255 in order, was taken before the first record was visited.
    std::vector<int> firstTick(queriedKeys.begin(), queriedKeys.begin() + 255);
    std::vector<int> ascending(255);
    for (int i = 0; i < 255; ++i)
        ascending[i] = i + 1;
    EXPECT_EQ(direct.keysQueried.load(), 255 * direct.ticksStarted.load());
    EXPECT_EQ(firstTick, ascending);
    Sleep(50);
    EXPECT_FALSE(onThread.waitedInVain.load());
    CloseHandle(directHasRun);
}

std::atomic<int> running{0};
std::atomic<int> peakRunning{0};
HANDLE letGo = nullptr;

DWORD WINAPI blockingAction(LPVOID) {
    const int now = ++running;
    int peak = peakRunning;
    while (now > peak && !peakRunning.compare_exchange_weak(peak, now)) {
    }
    WaitForSingleObject(letGo, 5000);
    --running;
    return 0;
}

// Every firing gets a thread of its own; earlier ones still running do not hold the next back.
TEST_F(HotkeyShell, QuickPressesRunSeveralActionThreadsAtOnce) {
    letGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    onFreshGuiThread([] {
        registerHotkey(blockingAction, kMinus, 1);
        for (int press = 1; press <= 3; ++press) {
            setKeys({kAlt, kMinus});
            EXPECT_TRUE(pumpUntil([&] { return running >= press; }, 2000)) << press;
            setKeys({kAlt});
            const size_t ticks = tickStarts.size();
            pumpUntil([&] { return tickStarts.size() > ticks + 1; }, 1000);
        }
    });
    EXPECT_EQ(peakRunning.load(), 3);
    SetEvent(letGo);
    EXPECT_TRUE(pumpUntil([] { return running == 0; }, 5000));
    CloseHandle(letGo);
}

std::atomic<int> realFirings{0};
DWORD WINAPI countingAction(LPVOID) {
    ++realFirings;
    return 0;
}

void sendKey(WORD vk, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

// The real GetAsyncKeyState path, with keys injected through SendInput.
TEST(HotkeyShellRealKeys, InjectedAltMinusFiresOncePerPress) {
    realFirings = 0;
    onFreshGuiThread([] {
        registerHotkey(countingAction, kMinus, 1);
        pumpUntil(nullptr, 50);
        for (int press = 1; press <= 2; ++press) {
            sendKey(VK_MENU, true);
            sendKey(VK_OEM_MINUS, true);
            EXPECT_TRUE(pumpUntil([&] { return realFirings >= press; }, 2000)) << press;
            pumpUntil(nullptr, 100); // held: nothing more
            sendKey(VK_OEM_MINUS, false);
            sendKey(VK_MENU, false);
            pumpUntil(nullptr, 60);
        }
        // With Shift as well it is another combination.
        sendKey(VK_SHIFT, true);
        sendKey(VK_MENU, true);
        sendKey(VK_OEM_MINUS, true);
        pumpUntil(nullptr, 100);
        sendKey(VK_OEM_MINUS, false);
        sendKey(VK_MENU, false);
        sendKey(VK_SHIFT, false);
        pumpUntil(nullptr, 60);
    });
    EXPECT_EQ(realFirings.load(), 2);
}

} // namespace
