#pragma once
#include <utility>

namespace bc::win32 {

// Owns one handle and gives it back once. Traits name the handle type, the empty value, which
// values hold something, and the release call.
template <typename Traits> class OwnedHandle {
  public:
    using Handle = typename Traits::Handle;
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~OwnedHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::valid(handle_); }
    void reset(Handle handle = Traits::empty()) {
        if (*this)
            Traits::close(handle_);
        handle_ = handle;
    }
    // Lets go without releasing: for calls that take ownership, or a handle that a stuck call
    // may still be using.
    Handle release() { return std::exchange(handle_, Traits::empty()); }

  private:
    Handle handle_ = Traits::empty();
};

} // namespace bc::win32
