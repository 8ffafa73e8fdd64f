#pragma once
#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace bc::win32 {

// One reference to a COM object.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_)
            p_->AddRef();
    }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: drops the current reference first.
    T** put() {
        *this = ComPtr();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Lets go of the reference without releasing it.
    void abandon() { p_ = nullptr; }

  private:
    T* p_ = nullptr;
};

// The calling thread's membership of the multithreaded apartment.
class ComApartment {
  public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (ok_)
            CoUninitialize();
    }
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

class BString {
  public:
    explicit BString(const wchar_t* text) : s_(SysAllocString(text)) {}
    BString(const BString&) = delete;
    BString& operator=(const BString&) = delete;
    ~BString() { SysFreeString(s_); }
    BSTR get() const { return s_; }

  private:
    BSTR s_;
};

class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }
    void clear() { VariantClear(&v_); }

  private:
    VARIANT v_;
};

} // namespace bc::win32
