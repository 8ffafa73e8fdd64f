// The help balloon under Wine: placement on the screen, window kind, the closing watch with
// posted messages and with input through SendInput, and the loss of activation.
#include "brightness/help_balloon_text.hpp"
#include "brightness/win32/help_balloon.hpp"

#include "window_test_support.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

using bc::test::pumpFor;
using bc::test::pumpUntil;

using bc::win32::HelpBalloon;

constexpr UINT kMarker = WM_APP + 7;
bool g_markerSeen = false;
HelpBalloon* g_balloon = nullptr;

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMarker) {
        g_markerSeen = true;
        return 0;
    }
    // Alt alone would open the system menu's modal loop, which the test does not drive.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU)
        return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A label that shows the help balloon on a double click, as the main window's label does.
LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK && g_balloon) {
        bc::win32::onLabelDoubleClick(*g_balloon);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void sendMouse(DWORD flags, DWORD data = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
}

// Whether a mouse move sent now reaches the window under the cursor at p: where the system
// itself has the cursor, so where the presses that follow happen. GetCursorPos alone cannot
// tell: under Wine it reports the X pointer once the cursor has not changed for 100 ms. Moves
// still queued merge into the last one, so the last move taken has the newest position.
bool moveSeenAt(POINT p) {
    sendMouse(MOUSEEVENTF_MOVE);
    MSG message;
    bool seen = false;
    POINT last{};
    while (PeekMessageW(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
        seen = true;
        last = message.pt;
        DispatchMessageW(&message);
    }
    return seen && last.x == p.x && last.y == p.y;
}

// Puts the cursor on p, so that the input that follows happens at p.
// Under Wine's virtual desktop the pointer warp of SetCursorPos also reaches the desktop's
// process as X crossing events, and the first of them can still carry the previous position:
// a moment after SetCursorPos it puts the cursor back there, and the next one does not always
// correct it. A message sent to the desktop window returns once that process has handled what
// X had queued for it; a move sent then shows where the cursor ended up, and a second
// SetCursorPos (now a warp from p to p) puts it right.
void moveCursor(POINT p) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SetCursorPos(p.x, p.y);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored);
        if (moveSeenAt(p))
            return;
    }
    ADD_FAILURE() << "the cursor does not stay at " << p.x << "," << p.y;
}

void click(POINT p) {
    moveCursor(p);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

void doubleClick(POINT p) {
    click(p);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

void pressKey(WORD key) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

class HelpBalloonTest : public testing::Test {
  protected:
    void SetUp() override {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW host{};
        host.lpfnWndProc = hostProc;
        host.hInstance = instance;
        host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        host.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        host.lpszClassName = L"BalloonTestHost";
        RegisterClassW(&host);
        WNDCLASSW label = host;
        label.style = CS_DBLCLKS;
        label.lpfnWndProc = labelProc;
        label.lpszClassName = L"BalloonTestLabel";
        RegisterClassW(&label);

        host_ = CreateWindowExW(0, L"BalloonTestHost", L"balloon host", WS_OVERLAPPEDWINDOW, 200,
                                200, 420, 220, nullptr, nullptr, instance, nullptr);
        label_ = CreateWindowExW(0, L"BalloonTestLabel", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20,
                                 20, 200, 30, host_, nullptr, instance, nullptr);
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 20,
                                80, 200, 24, host_, nullptr, instance, nullptr);
        ASSERT_TRUE(host_ && label_ && edit_);
        ShowWindow(host_, SW_SHOW);
        SetForegroundWindow(host_);
        SetFocus(edit_);
        ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == host_; }, 3000));

        ASSERT_TRUE(balloon_.create(instance));
        g_balloon = &balloon_;
    }
    void TearDown() override {
        g_balloon = nullptr;
        DestroyWindow(host_);
        pumpFor(20);
    }

    // Runs the queue up to a marker posted behind what is already there.
    void drainQueue() {
        g_markerSeen = false;
        PostMessageW(host_, kMarker, 0, 0);
        ASSERT_TRUE(pumpUntil([] { return g_markerSeen; }, 2000));
    }

    POINT labelPoint(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(label_, &p);
        return p;
    }

    // The window's corner plus the tip gives the point, the tip pixel belongs to the window's
    // shape, and the balloon is what the screen shows at the point.
    void expectTipAt(POINT p) const {
        const HWND hwnd = balloon_.window();
        const bc::BalloonPlacement& placement = balloon_.placement();
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        EXPECT_EQ(rect.left + placement.tip.x, p.x);
        EXPECT_EQ(rect.top + placement.tip.y, p.y);
        EXPECT_EQ(rect.right - rect.left, placement.body.w + 5);
        EXPECT_EQ(rect.bottom - rect.top, placement.body.H + 3);
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(hwnd, shape), ERROR);
        EXPECT_TRUE(PtInRegion(shape, placement.tip.x, placement.tip.y));
        DeleteObject(shape);
        EXPECT_EQ(WindowFromPoint(p), hwnd);
    }

    void expectNotActivated() const {
        EXPECT_EQ(GetForegroundWindow(), host_);
        EXPECT_EQ(GetActiveWindow(), host_);
        EXPECT_EQ(GetFocus(), edit_);
    }

    HelpBalloon balloon_;
    HWND host_ = nullptr;
    HWND label_ = nullptr;
    HWND edit_ = nullptr;
};

TEST(HelpBalloonComponent, WithoutTheComponentNothingIsShown) {
    HelpBalloon balloon;
    EXPECT_FALSE(balloon.showBalloon(100, 100, bc::helpBalloonText, -1, true));
    EXPECT_EQ(balloon.window(), nullptr);
    EXPECT_FALSE(balloon.isShown());
}

TEST_F(HelpBalloonTest, ShownAtThePointAboveAllAsAToolWindowWithoutTakingTheFocus) {
    const HWND hwnd = balloon_.window();
    EXPECT_FALSE(balloon_.isShown());
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_POPUP, DWORD{WS_POPUP});
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              DWORD{WS_EX_TOPMOST | WS_EX_TOOLWINDOW});
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0u); // no task bar button

    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    struct {
        const char* name;
        POINT point;
        bool above;
        bc::BalloonTailEnd tailEnd;
    } cases[] = {
        {"open space", {400, 300}, false, bc::BalloonTailEnd::Left},
        {"bottom-right corner", {right - 3, bottom - 3}, true, bc::BalloonTailEnd::Right},
        {"left edge, tail leaning",
         {GetSystemMetrics(SM_XVIRTUALSCREEN) + 3, 300},
         false,
         bc::BalloonTailEnd::Left},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(balloon_.showBalloon(c.point.x, c.point.y, bc::helpBalloonText, -1, true));
        pumpFor(30);
        ASSERT_TRUE(balloon_.isShown());
        EXPECT_EQ(balloon_.placement().above, c.above);
        EXPECT_EQ(balloon_.placement().tailEnd, c.tailEnd);
        expectTipAt(c.point);
        expectNotActivated();
        // Five lines of text in a 12 px cell, the widest one with eleven characters or more.
        EXPECT_GE(balloon_.placement().body.h, 5 * 10 + 25);
        EXPECT_GE(balloon_.placement().body.w, 11 * 9 + 25);
    }
}

TEST_F(HelpBalloonTest, EmptyTextHidesTheShownBalloonAndShowsNothing) {
    ASSERT_TRUE(balloon_.showBalloon(400, 300, L"tip"));
    ASSERT_TRUE(balloon_.isShown());
    EXPECT_TRUE(balloon_.showBalloon(500, 300, L""));
    EXPECT_FALSE(balloon_.isShown());
    // An index past the empty picture list shows the text alone.
    EXPECT_TRUE(balloon_.showBalloon(400, 300, L"tip", 0));
    EXPECT_TRUE(balloon_.isShown());
}

TEST_F(HelpBalloonTest, WatchHidesOnPressesKeysAndWheelPostedToAnyWindowOfTheThread) {
    struct {
        UINT message;
        WPARAM wParam;
        bool hides;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, true},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, true},
        {WM_RBUTTONDOWN, MK_RBUTTON, true},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, true},
        {WM_MBUTTONDOWN, MK_MBUTTON, true},
        {WM_MBUTTONDBLCLK, MK_MBUTTON, true},
        {WM_NCLBUTTONDOWN, HTNOWHERE, true},
        {WM_NCLBUTTONDBLCLK, HTNOWHERE, true},
        {WM_NCRBUTTONDOWN, HTNOWHERE, true},
        {WM_NCRBUTTONDBLCLK, HTNOWHERE, true},
        {WM_NCMBUTTONDOWN, HTNOWHERE, true},
        {WM_NCMBUTTONDBLCLK, HTNOWHERE, true},
        {WM_KEYDOWN, VK_SHIFT, true},
        {WM_SYSKEYDOWN, 'Q', true},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), true},
        {WM_LBUTTONUP, 0, false},
        {WM_RBUTTONUP, 0, false},
        {WM_MBUTTONUP, 0, false},
        {WM_NCLBUTTONUP, HTNOWHERE, false},
        {WM_KEYUP, VK_SHIFT, false},
        {WM_SYSKEYUP, 'Q', false},
        {WM_CHAR, 'a', false},
        {WM_MOUSEMOVE, 0, false},
        {WM_NCMOUSEMOVE, HTNOWHERE, false},
        {WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
    };
    // Not the edit control: its right-button release opens a context menu.
    const struct {
        const char* name;
        HWND hwnd;
    } targets[] = {{"window", host_}, {"label", label_}, {"balloon", balloon_.window()}};
    for (const auto& target : targets) {
        for (const auto& c : cases) {
            char trace[64];
            wsprintfA(trace, "%s, message 0x%04X", target.name, c.message);
            SCOPED_TRACE(trace);
            ASSERT_TRUE(balloon_.showBalloon(600, 400, bc::helpBalloonText));
            PostMessageW(target.hwnd, c.message, c.wParam, 0);
            drainQueue();
            // The label's double click passes the watch first, then shows the balloon anew.
            const bool reshown = target.hwnd == label_ && c.message == WM_LBUTTONDBLCLK;
            EXPECT_EQ(balloon_.isShown(), !c.hides || reshown);
        }
    }
}

TEST_F(HelpBalloonTest, WatchSeesOnlyWhatIsTakenFromTheQueue) {
    ASSERT_TRUE(balloon_.showBalloon(600, 400, bc::helpBalloonText));
    // Sent from another thread, as the hotkey actions' updates are: not a queued message.
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        SendMessageW(host_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(edit_, WM_KEYDOWN, VK_SHIFT, 0);
        sent = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return sent.load(); }, 3000));
    sender.join();
    drainQueue();
    EXPECT_TRUE(balloon_.isShown());

    // Looked at and left in the queue: the balloon stays until the message is taken.
    PostMessageW(host_, WM_KEYDOWN, VK_SHIFT, 0);
    MSG peeked;
    ASSERT_TRUE(PeekMessageW(&peeked, host_, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
    EXPECT_TRUE(balloon_.isShown());
    drainQueue();
    EXPECT_FALSE(balloon_.isShown());
}

TEST_F(HelpBalloonTest, DoubleClickOnTheLabelShowsItAtTheCursorAndInputHidesIt) {
    // A click of an earlier test must not pair with this test's first click.
    pumpFor(GetDoubleClickTime() + 50);
    const POINT first = labelPoint(30, 15);
    doubleClick(first);
    ASSERT_TRUE(pumpUntil([&] { return balloon_.isShown(); }, 3000));
    expectTipAt(first);
    expectNotActivated();

    // Mouse moves over the balloon and away leave it shown.
    RECT rect{};
    GetWindowRect(balloon_.window(), &rect);
    const POINT onBody{rect.left + 40, rect.top + 40};
    for (POINT p : {onBody, POINT{onBody.x + 30, onBody.y + 20}, POINT{rect.right + 40, rect.top},
                    labelPoint(150, 10), first}) {
        moveCursor(p);
        pumpFor(40);
    }
    drainQueue();
    EXPECT_TRUE(balloon_.isShown());

    // A click on the balloon itself hides it and activates nothing.
    click(onBody);
    ASSERT_TRUE(pumpUntil([&] { return !balloon_.isShown(); }, 2000));
    expectNotActivated();

    // A second double click elsewhere on the label shows it again there.
    const POINT second = labelPoint(170, 20);
    doubleClick(second);
    ASSERT_TRUE(pumpUntil([&] { return balloon_.isShown(); }, 3000));
    expectTipAt(second);
    // The release after the double click does not hide it.
    drainQueue();
    EXPECT_TRUE(balloon_.isShown());

    // Alt alone, while this program is active.
    pressKey(VK_MENU);
    ASSERT_TRUE(pumpUntil([&] { return !balloon_.isShown(); }, 2000));

    doubleClick(first);
    ASSERT_TRUE(pumpUntil([&] { return balloon_.isShown(); }, 3000));
    pressKey('A');
    ASSERT_TRUE(pumpUntil([&] { return !balloon_.isShown(); }, 2000));

    doubleClick(first);
    ASSERT_TRUE(pumpUntil([&] { return balloon_.isShown(); }, 3000));
    moveCursor(labelPoint(100, 60)); // over the host's client area, off the balloon
    sendMouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA));
    ASSERT_TRUE(pumpUntil([&] { return !balloon_.isShown(); }, 2000));
}

TEST_F(HelpBalloonTest, LosingActivationToAnotherProgramHidesIt) {
    ASSERT_TRUE(balloon_.showBalloon(600, 400, bc::helpBalloonText));
    wchar_t command[] = L"notepad.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    const bool otherActive = pumpUntil(
        [&] {
            DWORD pid = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &pid);
            return pid == process.dwProcessId;
        },
        10000);
    EXPECT_TRUE(otherActive);
    EXPECT_TRUE(pumpUntil([&] { return !balloon_.isShown(); }, 2000));
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
