#pragma once
#include <windows.h>

#include <utility>

namespace bc::win32 {

// Owns one handle and gives it back once; Traits name the empty value and the release call.
template <typename Traits> class OwnedHandle {
  public:
    using Handle = typename Traits::Handle;
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    ~OwnedHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }
    void reset() {
        if (*this)
            Traits::close(handle_);
        handle_ = Traits::empty();
    }
    // Lets go without closing, for a handle that a stuck call may still be using.
    Handle release() { return std::exchange(handle_, Traits::empty()); }

  private:
    Handle handle_ = Traits::empty();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
// Files report failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct ChangeWatchTraits {
    using Handle = HANDLE;
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindCloseChangeNotification(h); }
};
struct MappedViewTraits {
    using Handle = void*;
    static void* empty() { return nullptr; }
    static void close(void* view) { UnmapViewOfFile(view); }
};

using KernelHandle = OwnedHandle<KernelHandleTraits>; // threads, events, mutexes, sections
using FileHandle = OwnedHandle<FileHandleTraits>;
using ChangeWatch = OwnedHandle<ChangeWatchTraits>;
using MappedView = OwnedHandle<MappedViewTraits>;

} // namespace bc::win32
