// Owned COM resources and late-bound calls by member name. Every interface
// pointer, BSTR and VARIANT the gateway touches lives in one of these holders,
// so an error thrown half-way through a call leaks nothing.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"

namespace vantrel::win {

// An interface pointer with one reference of its own. Move-only.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (no AddRef).
    explicit ComPtr(T* p) : p_(p) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset(T* p = nullptr) {
        if (p_) p_->Release();
        p_ = p;
    }
    // For out-parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// A BSTR freed with its holder. Move-only.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8);
    static Bstr Attach(BSTR b) { Bstr r; r.b_ = b; return r; }
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr();

    BSTR get() const { return b_; }
    BSTR release() { return std::exchange(b_, nullptr); }
    std::string Utf8() const;

private:
    BSTR b_ = nullptr;
};

// A VARIANT cleared with its holder. Move-only.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(Variant&& o) noexcept;
    Variant& operator=(Variant&& o) noexcept;
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    // The argument forms the gateway passes.
    static Variant Text(const std::string& utf8);  // VT_BSTR
    static Variant Long(int32_t n);                // VT_I4
    static Variant Short(int16_t n);               // VT_I2
    static Variant Bool(bool b);                   // VT_BOOL (VARIANT_TRUE / VARIANT_FALSE)

    VARTYPE vt() const { return V_VT(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }

private:
    VARIANT v_;
};

inline Variant Arg(const std::string& s) { return Variant::Text(s); }
inline Variant Arg(const char* s) { return Variant::Text(s); }
inline Variant Arg(int32_t n) { return Variant::Long(n); }
inline Variant Arg(int16_t n) { return Variant::Short(n); }
inline Variant Arg(bool b) { return Variant::Bool(b); }

// COM for the calling thread, single-threaded apartment, for the holder's life.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Raises the TrappedError for a failed call (see MapFailure in errors.h).
// `ei` may be null when the call has no EXCEPINFO; its strings are freed here.
[[noreturn]] void RaiseFailure(HRESULT hr, EXCEPINFO* ei = nullptr);

// An automation object reached through IDispatch by member name.
class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(ComPtr<IDispatch> p) : p_(std::move(p)) {}
    // Creates an object by ProgID; raises kErrCannotCreate when that is not possible.
    static Dispatch Create(const wchar_t* progId);
    // The object a VARIANT holds (VT_DISPATCH); raises kErrTypeMismatch for anything else.
    static Dispatch From(Variant& v);

    explicit operator bool() const { return static_cast<bool>(p_); }
    IDispatch* get() const { return p_.get(); }

    template <class... A>
    Variant Call(const wchar_t* name, A&&... args) {
        return Invoke(name, DISPATCH_METHOD, Pack(std::forward<A>(args)...));
    }
    // A property read; arguments (if any) are the property's parameters.
    template <class... A>
    Variant Get(const wchar_t* name, A&&... args) {
        return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, Pack(std::forward<A>(args)...));
    }
    template <class V>
    void Put(const wchar_t* name, V&& value) {
        Invoke(name, DISPATCH_PROPERTYPUT, Pack(std::forward<V>(value)));
    }

    // `args` in the caller's order; they are handed to Invoke reversed, as
    // IDispatch expects. Any failure raises TrappedError.
    Variant Invoke(const wchar_t* name, WORD flags, std::vector<Variant> args);

private:
    template <class... A>
    static std::vector<Variant> Pack(A&&... a) {
        std::vector<Variant> v;
        v.reserve(sizeof...(a));
        (v.push_back(Arg(std::forward<A>(a))), ...);
        return v;
    }
    DISPID IdOf(const wchar_t* name);

    ComPtr<IDispatch> p_;
};

}  // namespace vantrel::win
