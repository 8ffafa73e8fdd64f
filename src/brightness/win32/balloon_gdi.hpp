#pragma once
// Small owners for the GDI objects and the hook the help balloon uses.
#include <windows.h>

#include <utility>

namespace bc::win32 {

// Owns one GDI object (font, brush, bitmap, region) and deletes it once.
template <typename T> class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    ~GdiObject() { reset(); }

    T get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Gives the object away, for calls that take ownership (SetWindowRgn).
    T release() { return std::exchange(object_, nullptr); }
    void reset(T object = nullptr) {
        if (object_)
            DeleteObject(object_);
        object_ = object;
    }

  private:
    T object_ = nullptr;
};

using UniqueFont = GdiObject<HFONT>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueRegion = GdiObject<HRGN>;

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

// Owns a window and destroys it once.
class UniqueWindow {
  public:
    UniqueWindow() = default;
    UniqueWindow(const UniqueWindow&) = delete;
    UniqueWindow& operator=(const UniqueWindow&) = delete;
    ~UniqueWindow() { reset(); }
    HWND get() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    void reset(HWND hwnd = nullptr) {
        if (hwnd_ && IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        hwnd_ = hwnd;
    }

  private:
    HWND hwnd_ = nullptr;
};

// Owns a windows hook and removes it once.
class UniqueHook {
  public:
    UniqueHook() = default;
    UniqueHook(const UniqueHook&) = delete;
    UniqueHook& operator=(const UniqueHook&) = delete;
    ~UniqueHook() { reset(); }
    HHOOK get() const { return hook_; }
    explicit operator bool() const { return hook_ != nullptr; }
    void reset(HHOOK hook = nullptr) {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        hook_ = hook;
    }

  private:
    HHOOK hook_ = nullptr;
};

} // namespace bc::win32
