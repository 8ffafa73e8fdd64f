#pragma once
// Small owners for the GDI objects and the hook the help balloon uses.
#include "win32/owned_handle.hpp"

#include <windows.h>

namespace bc::win32 {

// GDI objects (font, brush, bitmap, region), deleted once.
template <typename T> struct GdiObjectTraits {
    using Handle = T;
    static T empty() { return nullptr; }
    static bool valid(T object) { return object != nullptr; }
    static void close(T object) { DeleteObject(object); }
};

using UniqueFont = OwnedHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = OwnedHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = OwnedHandle<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = OwnedHandle<GdiObjectTraits<HRGN>>;

// The screen's device context for as long as the object lives.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_)
            ReleaseDC(nullptr, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// A memory device context compatible with the screen.
class MemoryDc {
  public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back at the end.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (previous_)
            SelectObject(dc_, previous_);
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window, destroyed once (unless it is already gone with its owner).
struct WindowTraits {
    using Handle = HWND;
    static HWND empty() { return nullptr; }
    static bool valid(HWND hwnd) { return hwnd != nullptr; }
    static void close(HWND hwnd) {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
};

// A windows hook, removed once.
struct HookTraits {
    using Handle = HHOOK;
    static HHOOK empty() { return nullptr; }
    static bool valid(HHOOK hook) { return hook != nullptr; }
    static void close(HHOOK hook) { UnhookWindowsHookEx(hook); }
};

using UniqueWindow = OwnedHandle<WindowTraits>;
using UniqueHook = OwnedHandle<HookTraits>;

} // namespace bc::win32
