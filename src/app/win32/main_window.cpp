#include "app/win32/main_window.hpp"

#include "app/focus_rules.hpp"
#include "app/window_layout.hpp"
#include "brightness/level_gestures.hpp"
#include "brightness/slider_position.hpp"
#include "brightness/win32/help_balloon.hpp"
#include "resource_ids.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <atomic>
#include <optional>

namespace bc::win32 {
namespace {

constexpr wchar_t kMainClass[] = L"BrightnessControlMain";
constexpr wchar_t kLabelClass[] = L"BrightnessControlLabel";
constexpr wchar_t kBalloonTipClass[] = L"BrightnessControlBalloonTip";
constexpr wchar_t kPositionProperty[] = L"BrightnessControl.Position";

constexpr DWORD kMainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

MainWindow g_window;
std::optional<HelpBalloon> g_balloon;
HWND g_focusAtDeactivation = nullptr;
// The window that level steps from other threads are posted to; read off the GUI thread.
std::atomic<HWND> g_stepTarget{nullptr};

HFONT defaultGuiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool isOurWindow(HWND hwnd) {
    return hwnd != nullptr && (hwnd == g_window.window || IsChild(g_window.window, hwnd));
}

// The members in stored order with their live handles, for the focus rules.
std::array<HWND, kMembers.size()> memberHandles() {
    std::array<HWND, kMembers.size()> handles{};
    for (std::size_t i = 0; i < kMembers.size(); ++i)
        handles[i] = GetDlgItem(g_window.window, kMembers[i].controlId);
    return handles;
}

std::array<FocusCandidate, kMembers.size()>
focusCandidates(const std::array<HWND, kMembers.size()>& h) {
    std::array<FocusCandidate, kMembers.size()> candidates{};
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        const LONG style = h[i] ? GetWindowLongW(h[i], GWL_STYLE) : 0;
        // The member's own visibility: while the window is still hidden its shown members
        // count as visible, so the focus lands on the slider already then.
        candidates[i] = {(style & WS_VISIBLE) != 0, (style & WS_DISABLED) == 0,
                         (style & WS_TABSTOP) != 0, kMembers[i].tabOrder};
    }
    return candidates;
}

void focusDefaultMember() {
    const auto handles = memberHandles();
    const auto candidates = focusCandidates(handles);
    if (const auto index = defaultFocusMember(candidates))
        SetFocus(handles[*index]);
}

void moveFocusByTab(bool backwards) {
    const auto handles = memberHandles();
    const auto candidates = focusCandidates(handles);
    std::optional<std::size_t> current;
    const HWND focus = GetFocus();
    for (std::size_t i = 0; i < handles.size(); ++i)
        if (handles[i] && handles[i] == focus)
            current = i;
    if (const auto next = nextTabMember(candidates, current, backwards))
        SetFocus(handles[*next]);
}

std::int32_t currentModifierMask() {
    return modifierMask(GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
                        GetKeyState(VK_MENU) < 0);
}

void raise(void (*handler)()) {
    if (handler)
        handler();
}

LRESULT CALLBACK labelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        const int length = GetWindowTextLengthW(hwnd);
        if (length > 0) {
            std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
            const int got = GetWindowTextW(hwnd, text.data(), length + 1);
            const HGDIOBJ oldFont = SelectObject(dc, defaultGuiFont());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 0));
            DrawTextW(dc, text.c_str(), got, &client,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
            SelectObject(dc, oldFont);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint fills the whole client area itself
    case WM_LBUTTONDBLCLK:
        raise(g_window.events.labelDoubleClicked);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK mainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == g_window.slider && LOWORD(wParam) != TB_ENDTRACK) {
            g_window.position.takeFromControl();
            raise(g_window.events.levelChanged);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus))
                g_focusAtDeactivation = focus;
        }
        break;
    case WM_SETFOCUS:
        // The window passes the focus on at once: to the member that had it, or by the rule.
        if (g_focusAtDeactivation && IsWindow(g_focusAtDeactivation) &&
            IsChild(hwnd, g_focusAtDeactivation))
            SetFocus(g_focusAtDeactivation);
        else
            focusDefaultMember();
        return 0;
    case kLevelStepMessage:
        if (g_window.events.levelStepRequested)
            g_window.events.levelStepRequested(static_cast<std::int32_t>(wParam));
        return 0;
    case WM_TIMER:
        if (g_window.events.timer)
            g_window.events.timer(wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        g_stepTarget = nullptr;
        g_balloon.reset();
        g_window = MainWindow{};
        g_focusAtDeactivation = nullptr;
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerClasses(HINSTANCE instance) {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = mainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    main.hIcon = g_window.icon;
    main.hIconSm = g_window.icon;
    main.lpszClassName = kMainClass;
    WNDCLASSEXW label{};
    label.cbSize = sizeof label;
    label.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    label.lpfnWndProc = labelProc;
    label.hInstance = instance;
    label.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    label.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    label.lpszClassName = kLabelClass;
    WNDCLASSEXW tip{};
    tip.cbSize = sizeof tip;
    tip.lpfnWndProc = DefWindowProcW;
    tip.hInstance = instance;
    tip.lpszClassName = kBalloonTipClass;
    // A class left over from an earlier window of this process is fine.
    for (const WNDCLASSEXW* c : {&main, &label, &tip})
        if (!RegisterClassExW(c) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
    return true;
}

HWND createMember(HINSTANCE instance, const MemberLayout& member) {
    const wchar_t* className = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    switch (member.kind) {
    case MemberKind::Slider:
        className = TRACKBAR_CLASSW;
        style |= TBS_AUTOTICKS | TBS_HORZ | TBS_BOTTOM;
        break;
    case MemberKind::Label:
        className = kLabelClass;
        style |= WS_BORDER;
        break;
    case MemberKind::CheckBox:
        className = WC_BUTTONW;
        style |= BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER;
        break;
    case MemberKind::PushButton:
        className = WC_BUTTONW;
        style |= BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER;
        break;
    case MemberKind::BalloonTip:
        className = kBalloonTipClass;
        style |= WS_DISABLED; // a placeholder that never takes input
        break;
    }
    if (member.takesFocus)
        style |= WS_TABSTOP;
    if (!member.enabled)
        style |= WS_DISABLED;
    const std::wstring text(member.text);
    return CreateWindowExW(0, className, text.c_str(), style, member.rect.left, member.rect.top,
                           member.rect.width, member.rect.height, g_window.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(member.controlId)),
                           instance, nullptr);
}

void setUpSlider(HWND slider) {
    constexpr std::int32_t low = kSliderMinimum < kSliderMaximum ? kSliderMinimum : kSliderMaximum;
    constexpr std::int32_t high = kSliderMinimum < kSliderMaximum ? kSliderMaximum : kSliderMinimum;
    const auto step = [](std::int32_t v) { return std::clamp(v, 1, high - low); };
    SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    g_window.position.attach(slider);
    g_window.position.write(1);
    SendMessageW(slider, TBM_SETLINESIZE, 0, step(5));
    SendMessageW(slider, TBM_SETPAGESIZE, 0, step(5));
    SendMessageW(slider, TBM_SETTICFREQ, step(10), 0);
}

} // namespace

void SliderPosition::write(std::int32_t position) {
    stored_ = storedSliderPosition(position);
    if (slider_)
        SendMessageW(slider_, TBM_SETPOS, TRUE, thumbPosition(stored_));
    publish();
}

void SliderPosition::takeFromControl() {
    if (slider_)
        stored_ = static_cast<std::int32_t>(SendMessageW(slider_, TBM_GETPOS, 0, 0));
    publish();
}

// Shows the kept position on the control as a window property, off by one so that 0 is not
// read as "absent", for tools that inspect the window from outside.
void SliderPosition::publish() const {
    if (slider_)
        SetPropW(slider_, kPositionProperty,
                 reinterpret_cast<HANDLE>(static_cast<INT_PTR>(stored_) + 1));
}

MainWindow& mainWindow() {
    return g_window;
}

HelpBalloon* helpBalloon() {
    return g_balloon ? &*g_balloon : nullptr;
}

bool createMainWindow(HINSTANCE instance, const MainWindowEvents& events) {
    g_window = MainWindow{};
    g_window.events = events;
    g_window.icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP_ICON),
                                                  IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR | LR_SHARED));
    if (!registerClasses(instance))
        return false;

    const Rect stored = kStoredWindowRect;
    const int left = centredEdge(GetSystemMetrics(SM_CXSCREEN), stored.width);
    const int top = centredEdge(GetSystemMetrics(SM_CYSCREEN), stored.height);
    const std::wstring title(kWindowTitle);
    g_window.window =
        CreateWindowExW(0, kMainClass, title.c_str(), kMainStyle, left, top, stored.width,
                        stored.height, nullptr, nullptr, instance, nullptr);
    if (!g_window.window)
        return false;
    RECT outer;
    GetWindowRect(g_window.window, &outer);
    if (outer.right - outer.left != stored.width || outer.bottom - outer.top != stored.height)
        MoveWindow(g_window.window, left, top, stored.width, stored.height, FALSE);

    SendMessageW(g_window.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_window.icon));
    SendMessageW(g_window.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_window.icon));
    SendMessageW(g_window.window, WM_SETFONT, reinterpret_cast<WPARAM>(defaultGuiFont()), FALSE);

    for (const MemberLayout& member : kMembers) {
        const HWND hwnd = createMember(instance, member);
        if (!hwnd)
            continue;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(defaultGuiFont()), FALSE);
        switch (member.kind) {
        case MemberKind::Slider:
            g_window.slider = hwnd;
            setUpSlider(hwnd);
            break;
        case MemberKind::Label:
            g_window.label = hwnd;
            break;
        case MemberKind::CheckBox:
            g_window.checkBox = hwnd;
            SendMessageW(hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
            break;
        case MemberKind::PushButton:
            g_window.button = hwnd;
            break;
        case MemberKind::BalloonTip:
            g_window.balloonTip = hwnd;
            g_balloon.emplace();
            if (!g_balloon->create(instance))
                g_balloon.reset();
            break;
        }
        ShowWindow(hwnd, member.visible ? SW_SHOWNA : SW_HIDE);
    }

    g_stepTarget = g_window.window;
    raise(g_window.events.created);
    ShowWindow(g_window.window, SW_SHOW);
    // The window never keeps the focus itself: should activation have left it there (the
    // created event may activate the window while it is still hidden), pass it on.
    if (GetFocus() == g_window.window)
        focusDefaultMember();
    return true;
}

bool preTranslateMainWindowMessage(const MSG& message) {
    if (!g_window.window || !isOurWindow(message.hwnd))
        return false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        switch (message.wParam) {
        case VK_ESCAPE:
            SendMessageW(g_window.window, WM_CLOSE, 0, 0);
            return true;
        case VK_TAB:
            moveFocusByTab(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_RETURN: // no default button, and Enter does not move the focus
        case VK_F1:     // no help
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        // Drag by any point: the background and the label move the window like its title bar.
        if (message.hwnd == g_window.window || message.hwnd == g_window.label) {
            PostMessageW(g_window.window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return message.hwnd == g_window.label;
        }
        return false;
    case WM_MOUSEWHEEL: {
        const std::int32_t distance = wheelDistance(HIWORD(message.wParam));
        const std::int32_t modifiers = currentModifierMask();
        auto handler = message.hwnd == g_window.window   ? g_window.events.windowWheel
                       : message.hwnd == g_window.label  ? g_window.events.labelWheel
                       : message.hwnd == g_window.slider ? g_window.events.sliderWheel
                                                         : nullptr;
        if (handler)
            handler(distance, modifiers);
        return false;
    }
    case WM_RBUTTONDOWN:
        if (message.hwnd == g_window.slider && g_window.events.sliderRightButtonDown)
            g_window.events.sliderRightButtonDown(LOWORD(message.lParam), HIWORD(message.lParam),
                                                  currentModifierMask());
        return false;
    }
    return false;
}

void runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (preTranslateMainWindowMessage(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void setLabelText(const std::wstring& text) {
    if (!g_window.label)
        return;
    SetWindowTextW(g_window.label, text.c_str());
    InvalidateRect(g_window.label, nullptr, FALSE);
}

namespace {

// Moves the window keeping its size; an edge left out stays where it is.
void moveWindowEdges(std::optional<std::int32_t> left, std::optional<std::int32_t> top) {
    RECT r;
    if (!g_window.window || !GetWindowRect(g_window.window, &r))
        return;
    MoveWindow(g_window.window, left ? limitWindowEdge(*left) : r.left,
               top ? limitWindowEdge(*top) : r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

} // namespace

void moveWindowLeft(std::int32_t left) {
    moveWindowEdges(left, std::nullopt);
}

void moveWindowTop(std::int32_t top) {
    moveWindowEdges(std::nullopt, top);
}

void postLevelStep(std::int32_t step) {
    if (const HWND window = g_stepTarget.load())
        PostMessageW(window, kLevelStepMessage, static_cast<WPARAM>(step), 0);
}

} // namespace bc::win32
