#include "brightness/win32/help_balloon.hpp"

#include "brightness/balloon_markup_layout.hpp"
#include "brightness/balloon_outline.hpp"
#include "brightness/help_balloon_text.hpp"

#include <cstring>
#include <map>
#include <string>

namespace bc::win32 {

namespace {

constexpr wchar_t kBalloonClass[] = L"BrightnessControlHelpBalloon";
constexpr wchar_t kFontFace[] = L"\u5b8b\u4f53"; // 宋体
constexpr COLORREF kFillColour = RGB(255, 255, 225);

// One hook serves every balloon of a thread; it lives while the thread has one.
thread_local UniqueHook t_watchHook;
thread_local HelpBalloon* t_firstWatched = nullptr;

// Presses and double-clicks anywhere, key presses and the wheel close the balloon; releases,
// characters and moves do not.
bool closesBalloon(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

// Measures and draws with GDI fonts made for each weight on first use.
class GdiTextMeasurer : public BalloonTextMeasurer {
  public:
    GdiTextMeasurer(HDC dc, int cellHeight) : dc_(dc), cellHeight_(cellHeight) {}
    GdiTextMeasurer(const GdiTextMeasurer&) = delete;
    GdiTextMeasurer& operator=(const GdiTextMeasurer&) = delete;
    ~GdiTextMeasurer() override {
        if (original_)
            SelectObject(dc_, original_);
    }

    void select(const BalloonTextStyle& style) {
        auto found = fonts_.find(style.weight);
        if (found == fonts_.end()) {
            LOGFONTW font{};
            font.lfHeight = cellHeight_; // positive: the character-cell height
            font.lfWeight = style.weight;
            font.lfCharSet = DEFAULT_CHARSET;
            std::memcpy(font.lfFaceName, kFontFace, sizeof kFontFace);
            found = fonts_.emplace(style.weight, UniqueFont(CreateFontIndirectW(&font))).first;
        }
        const HGDIOBJ previous = SelectObject(dc_, found->second.get());
        if (!original_)
            original_ = previous;
    }

    int runWidth(const BalloonTextStyle& style, std::wstring_view run) override {
        select(style);
        SIZE size{};
        GetTextExtentPoint32W(dc_, run.data(), static_cast<int>(run.size()), &size);
        return size.cx;
    }

    BalloonFontMetrics fontMetrics(const BalloonTextStyle& style) override {
        select(style);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc_, &metrics);
        return {metrics.tmAscent, metrics.tmDescent};
    }

  private:
    HDC dc_;
    int cellHeight_;
    HGDIOBJ original_ = nullptr;
    std::map<int, UniqueFont> fonts_;
};

VirtualScreen currentVirtualScreen() {
    return virtualScreenFromMetrics(
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

// Body and tail as one region in window coordinates.
UniqueRegion outlineRegion(const BalloonOutline& outline) {
    UniqueRegion region(CreateRoundRectRgn(outline.left, outline.top, outline.right + 1,
                                           outline.bottom + 1, outline.cornerDiameter,
                                           outline.cornerDiameter));
    for (const BalloonRowSpan& span : balloonTailSpans(outline)) {
        UniqueRegion row(CreateRectRgn(span.left, span.row, span.right + 1, span.row + 1));
        CombineRgn(region.get(), region.get(), row.get(), RGN_OR);
    }
    return region;
}

// The window's shape: the outline and its shadow.
UniqueRegion shapeRegion(HRGN outline) {
    UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
    UniqueRegion shadow(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(shadow.get(), outline, nullptr, RGN_COPY);
    OffsetRgn(shadow.get(), kBalloonShadowOffset.x, kBalloonShadowOffset.y);
    CombineRgn(shape.get(), outline, shadow.get(), RGN_OR);
    return shape;
}

} // namespace

HelpBalloon::~HelpBalloon() {
    stopWatching();
    window_.reset();
}

bool HelpBalloon::create(HINSTANCE instance) {
    if (window_)
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kBalloonClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    window_.reset(CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, kBalloonClass, L"",
        WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this));
    if (!window_)
        return false;
    startWatching();
    return true;
}

bool HelpBalloon::showBalloon(int x, int y, std::wstring_view text, int iconIndex,
                              bool allowAutoClose) {
    if (!window_)
        return false;
    // Automatic closing is off for this component, so neither value of the flag starts a
    // timer: only the closing watch hides the balloon.
    static_cast<void>(allowAutoClose);
    const std::wstring shown = balloonTextWithIcon(text, iconIndex, pictures_);
    hide();
    if (shown.empty())
        return true;

    const ScreenDc screen;
    const MemoryDc dc(screen.get());
    GdiTextMeasurer fonts(dc.get(), balloonFontCellHeight(GetDeviceCaps(screen.get(), LOGPIXELSY)));
    const BalloonTextBlock block = layoutBalloonMarkup(shown, fonts);
    placement_ =
        placeBalloon({x, y}, balloonBodyFor(block.width, block.height), currentVirtualScreen());
    const BalloonOutline outline = balloonOutline(placement_);
    const int width = placement_.windowWidth;
    const int height = placement_.windowHeight;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return true;
    const Selection selectBitmap(dc.get(), bitmap.get());
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);

    // Which pixels the outline covers, as GDI fills the region.
    const UniqueRegion region = outlineRegion(outline);
    FillRgn(dc.get(), region.get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
    std::vector<std::uint8_t> mask(count);
    for (std::size_t i = 0; i < count; ++i)
        mask[i] = (pixels[i] & 0x00FFFFFF) != 0 ? 1 : 0;

    const UniqueBrush fill(CreateSolidBrush(kFillColour));
    FillRgn(dc.get(), region.get(), fill.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    SetTextAlign(dc.get(), TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    for (const BalloonTextLine& line : block.lines) {
        for (const BalloonTextRun& run : line.runs) {
            fonts.select(run.style);
            TextOutW(dc.get(), placement_.textOrigin.x + run.x,
                     placement_.textOrigin.y + line.top + line.ascent, run.text.data(),
                     static_cast<int>(run.text.size()));
        }
    }
    FrameRgn(dc.get(), region.get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
    GdiFlush();

    // Premultiplied alpha: the balloon opaque, the shadow black at its own opacity.
    const std::vector<std::uint8_t> alpha = balloonWindowAlpha(mask, width, height);
    for (std::size_t i = 0; i < count; ++i) {
        pixels[i] = mask[i] ? (pixels[i] | 0xFF000000u) : std::uint32_t{alpha[i]} << 24;
    }

    const HWND hwnd = window_.get();
    UniqueRegion shape = shapeRegion(region.get());
    if (SetWindowRgn(hwnd, shape.get(), FALSE))
        shape.release(); // the window owns it now
    POINT position{placement_.window.x, placement_.window.y};
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd, screen.get(), &position, &size, dc.get(), &source, 0, &blend,
                        ULW_ALPHA);
    SetWindowPos(hwnd, HWND_TOPMOST, position.x, position.y, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    return true;
}

void HelpBalloon::hide() {
    if (isShown())
        SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER |
                         SWP_NOOWNERZORDER);
}

bool HelpBalloon::isShown() const {
    return window_ && IsWindowVisible(window_.get());
}

void HelpBalloon::startWatching() {
    if (watching_)
        return;
    if (!t_watchHook)
        t_watchHook.reset(
            SetWindowsHookExW(WH_GETMESSAGE, watchProc, nullptr, GetCurrentThreadId()));
    nextWatched_ = t_firstWatched;
    t_firstWatched = this;
    watching_ = true;
}

void HelpBalloon::stopWatching() {
    if (!watching_)
        return;
    for (HelpBalloon** link = &t_firstWatched; *link; link = &(*link)->nextWatched_) {
        if (*link == this) {
            *link = nextWatched_;
            break;
        }
    }
    watching_ = false;
    if (!t_firstWatched)
        t_watchHook.reset();
}

LRESULT CALLBACK HelpBalloon::watchProc(int code, WPARAM wParam, LPARAM lParam) {
    // Only messages taken from the queue: sent messages never pass this hook, and a peek
    // that leaves the message in the queue is not taking it.
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        closesBalloon(reinterpret_cast<const MSG*>(lParam)->message)) {
        for (HelpBalloon* balloon = t_firstWatched; balloon; balloon = balloon->nextWatched_)
            balloon->hide();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HelpBalloon::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* balloon = reinterpret_cast<HelpBalloon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE; // a click on the balloon leaves the active window as it is
    case WM_ACTIVATEAPP:
        if (!wParam && balloon)
            balloon->hide();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void onLabelDoubleClick(HelpBalloon& balloon) {
    POINT cursor{};
    GetCursorPos(&cursor);
    static_cast<void>(balloon.showBalloon(cursor.x, cursor.y, helpBalloonText, -1, true));
}

} // namespace bc::win32
