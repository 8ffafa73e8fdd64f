#include "app/app_state.hpp"
#include "app/win32/main_window.hpp"
#include "app/win32/program.hpp"
#include "app/window_layout.hpp"
#include "brightness/win32/level_routines.hpp"
#include "window_test_support.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using bc::test::className;
using bc::test::pumpFor;
using bc::test::pumpUntil;
using bc::test::windowText;
using bc::win32::mainWindow;

int g_levelChanges = 0;

void countLevelChange() {
    ++g_levelChanges;
}

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override { open({}); }
    void TearDown() override {
        if (mainWindow().window)
            DestroyWindow(mainWindow().window);
        pumpFor(20);
        bc::win32::appState() = bc::AppState{};
    }
    void open(bc::win32::MainWindowEvents events) {
        if (mainWindow().window)
            DestroyWindow(mainWindow().window);
        g_levelChanges = 0;
        if (!events.levelChanged)
            events.levelChanged = countLevelChange;
        ASSERT_TRUE(bc::win32::createMainWindow(GetModuleHandleW(nullptr), events));
        pumpFor(50);
    }
    HWND window() const { return mainWindow().window; }
    LONG style(HWND hwnd) const { return GetWindowLongW(hwnd, GWL_STYLE); }
    std::int32_t thumb() const {
        return static_cast<std::int32_t>(SendMessageW(mainWindow().slider, TBM_GETPOS, 0, 0));
    }
    void preTranslateKey(HWND target, WPARAM key) {
        MSG message{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        if (!bc::win32::preTranslateMainWindowMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

TEST_F(MainWindowTest, FrameTitleAndSize) {
    EXPECT_EQ(windowText(window()), bc::kWindowTitle);
    const LONG s = style(window());
    for (LONG bit : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_CLIPCHILDREN})
        EXPECT_EQ(s & bit, bit) << std::hex << bit;
    EXPECT_EQ(s & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(GetWindowLongW(window(), GWL_EXSTYLE) &
                  (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CLIENTEDGE),
              0);
    RECT r;
    GetWindowRect(window(), &r);
    EXPECT_EQ(r.right - r.left, 390);
    EXPECT_EQ(r.bottom - r.top, 110);
    EXPECT_TRUE(IsWindowVisible(window()));
    EXPECT_EQ(GetClassLongPtrW(window(), GCLP_HBRBACKGROUND),
              reinterpret_cast<ULONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
}

TEST_F(MainWindowTest, MembersAsStored) {
    struct Expected {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
        RECT rect;
        bool visible;
        LONG styleBits;
    };
    const Expected members[] = {
        {bc::kSliderId,
         L"msctls_trackbar32",
         L"",
         {40, 20, 240, 60},
         true,
         WS_TABSTOP | WS_CLIPSIBLINGS | TBS_AUTOTICKS | TBS_BOTTOM},
        {bc::kLabelId,
         L"BrightnessControlLabel",
         L"\u6807\u7b7e",
         {267, 21, 339, 45},
         true,
         WS_BORDER | WS_CLIPSIBLINGS},
        {bc::kCheckBoxId,
         L"Button",
         L"\u66f4\u591a\u529f\u80fd",
         {280, 56, 360, 80},
         false,
         WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER},
        {bc::kButtonId,
         L"Button",
         L"\u6309\u94ae",
         {168, 72, 264, 80},
         true,
         WS_TABSTOP | BS_MULTILINE | BS_CENTER | BS_VCENTER},
        {bc::kBalloonTipId, nullptr, L"", {24, 64, 72, 80}, false, 0},
    };
    for (const auto& m : members) {
        SCOPED_TRACE(m.id);
        HWND child = GetDlgItem(window(), m.id);
        ASSERT_NE(child, nullptr);
        if (m.cls) {
            EXPECT_EQ(_wcsicmp(className(child).c_str(), m.cls), 0) << className(child);
        }
        EXPECT_EQ(windowText(child), m.text);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, window(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, m.rect.left);
        EXPECT_EQ(r.top, m.rect.top);
        EXPECT_EQ(r.right, m.rect.right);
        EXPECT_EQ(r.bottom, m.rect.bottom);
        EXPECT_EQ(IsWindowVisible(child) != FALSE, m.visible);
        EXPECT_EQ(style(child) & m.styleBits, m.styleBits);
    }
    EXPECT_EQ(style(mainWindow().label) & WS_TABSTOP, 0);
    EXPECT_EQ(style(mainWindow().slider) & TBS_ENABLESELRANGE, 0);
    EXPECT_EQ(SendMessageW(mainWindow().checkBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(GetClassLongW(mainWindow().label, GCL_STYLE) & CS_DBLCLKS, 0u);
    EXPECT_EQ(SendMessageW(mainWindow().button, WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
}

TEST_F(MainWindowTest, SliderSettingsAndStoredPositionRules) {
    HWND slider = mainWindow().slider;
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(slider, TBM_GETLINESIZE, 0, 0), 5);
    EXPECT_EQ(SendMessageW(slider, TBM_GETPAGESIZE, 0, 0), 5);
    EXPECT_EQ(SendMessageW(slider, TBM_GETNUMTICS, 0, 0), 11); // 0, 10, ... 100
    EXPECT_EQ(mainWindow().position.read(), 1);
    EXPECT_EQ(thumb(), 1);

    struct {
        std::int32_t written, stored, thumb;
    } cases[] = {{250, 250, 100}, {-3, 0, 0}, {99999, 32767, 100}, {57, 57, 57}};
    for (const auto& c : cases) {
        mainWindow().position.write(c.written);
        EXPECT_EQ(mainWindow().position.read(), c.stored);
        EXPECT_EQ(thumb(), c.thumb);
        // What outside tools read: the kept position, off by one.
        EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(slider, L"BrightnessControl.Position")),
                  c.stored + 1);
    }
    EXPECT_EQ(g_levelChanges, 0) << "writing the position raises no event";
}

TEST_F(MainWindowTest, EveryScrollNotificationButEndTrackRaisesTheEvent) {
    struct {
        WORD code;
        int raised;
    } cases[] = {{TB_LINEUP, 1},   {TB_LINEDOWN, 1},      {TB_PAGEUP, 1},
                 {TB_PAGEDOWN, 1}, {TB_THUMBTRACK, 1},    {TB_TOP, 1},
                 {TB_BOTTOM, 1},   {TB_THUMBPOSITION, 1}, {TB_ENDTRACK, 0}};
    for (const auto& c : cases) {
        g_levelChanges = 0;
        mainWindow().position.write(250); // the kept value is replaced by the control's
        SendMessageW(window(), WM_HSCROLL, MAKEWPARAM(c.code, 0),
                     reinterpret_cast<LPARAM>(mainWindow().slider));
        EXPECT_EQ(g_levelChanges, c.raised) << c.code;
        EXPECT_EQ(mainWindow().position.read(), c.raised ? 100 : 250) << c.code;
    }
}

TEST_F(MainWindowTest, SliderKeysMoveByFiveAndReachTheEnds) {
    SetFocus(mainWindow().slider);
    mainWindow().position.write(50);
    struct {
        WPARAM key;
        std::int32_t expected;
    } keys[] = {{VK_RIGHT, 55}, {VK_LEFT, 50}, {VK_PRIOR, 45},
                {VK_NEXT, 50},  {VK_END, 100}, {VK_HOME, 0}};
    for (const auto& k : keys) {
        const int before = g_levelChanges;
        preTranslateKey(mainWindow().slider, k.key);
        EXPECT_EQ(mainWindow().position.read(), k.expected) << k.key;
        EXPECT_GE(g_levelChanges, before + 1) << k.key;
    }
}

TEST_F(MainWindowTest, TabAlternatesBetweenSliderAndButtonEnterAndF1DoNothing) {
    SetFocus(window()); // the window passes the focus on to the slider at once
    EXPECT_EQ(GetFocus(), mainWindow().slider);
    preTranslateKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), mainWindow().button);
    preTranslateKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), mainWindow().slider);

    mainWindow().position.write(40);
    for (WPARAM key : {VK_RETURN, VK_F1}) {
        preTranslateKey(GetFocus(), key);
        EXPECT_EQ(GetFocus(), mainWindow().slider);
        EXPECT_EQ(mainWindow().position.read(), 40);
        EXPECT_TRUE(IsWindow(window()));
    }
    EXPECT_EQ(g_levelChanges, 0);
}

TEST_F(MainWindowTest, EscapeClosesFromEveryMember) {
    for (HWND (*target)() :
         {+[] { return mainWindow().slider; }, +[] { return mainWindow().button; },
          +[] { return mainWindow().window; }}) {
        open({});
        const HWND main = window();
        preTranslateKey(target(), VK_ESCAPE);
        EXPECT_FALSE(IsWindow(main));
        MSG quit;
        EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
}

TEST_F(MainWindowTest, LabelPaintsItsTextCentredInBlackOnButtonFace) {
    bc::win32::setLabelText(L"\u4eae\u5ea6\uff1a88");
    SetWindowPos(window(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
    UpdateWindow(window());
    pumpFor(100);
    HWND label = mainWindow().label;
    RECT client;
    GetClientRect(label, &client);
    HDC dc = GetDC(label);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(GetPixel(dc, 1, 1), face);
    EXPECT_EQ(GetPixel(dc, client.right - 2, client.bottom - 2), face);
    // Where the text should be: its extent in the default GUI font, centred in the client area.
    const HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"\u4eae\u5ea6\uff1a88", 5, &extent);
    SelectObject(dc, old);
    const RECT cell{(client.right - extent.cx) / 2, (client.bottom - extent.cy) / 2,
                    (client.right + extent.cx) / 2, (client.bottom + extent.cy) / 2};
    RECT ink{client.right, client.bottom, -1, -1};
    int darkest = 255;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (c == face)
                continue;
            ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                   std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
            darkest = std::min<int>(darkest, (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
        }
    ReleaseDC(label, dc);
    ASSERT_GE(ink.right, 0) << "no text drawn";
    EXPECT_LT(darkest, 64) << "the text is black";
    // All ink lies inside the centred text cell (a pixel of slack for antialiasing), and the
    // line is centred horizontally.
    EXPECT_GE(ink.left, cell.left - 1);
    EXPECT_LE(ink.right, cell.right + 1);
    EXPECT_GE(ink.top, cell.top - 1);
    EXPECT_LE(ink.bottom, cell.bottom + 1);
    EXPECT_NEAR(ink.left + ink.right, client.right - 1, 4);
    EXPECT_EQ(windowText(label), L"\u4eae\u5ea6\uff1a88");
}

} // namespace
