#include "platform/com_win.h"

#include <new>

#include "platform/text_win.h"

namespace vantrel::win {

Bstr::Bstr(const std::string& utf8) {
    const std::wstring w = Widen(utf8);
    b_ = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    if (!b_) throw std::bad_alloc();
}

Bstr& Bstr::operator=(Bstr&& o) noexcept {
    if (this != &o) {
        SysFreeString(b_);
        b_ = std::exchange(o.b_, nullptr);
    }
    return *this;
}

Bstr::~Bstr() { SysFreeString(b_); }

std::string Bstr::Utf8() const {
    if (!b_) return std::string();
    return Narrow(std::wstring(b_, SysStringLen(b_)));
}

Variant::Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }

Variant& Variant::operator=(Variant&& o) noexcept {
    if (this != &o) {
        VariantClear(&v_);
        v_ = o.v_;
        VariantInit(&o.v_);
    }
    return *this;
}

namespace {

// The value goes in before the type: a value that cannot be made leaves an
// empty VARIANT, which clears to nothing.
template <class Fill>
Variant Typed(VARTYPE vt, Fill fill) {
    Variant r;
    fill(*r.get());
    V_VT(r.get()) = vt;
    return r;
}

}  // namespace

Variant Variant::Text(const std::string& utf8) {
    return Typed(VT_BSTR, [&](VARIANT& v) { V_BSTR(&v) = Bstr(utf8).release(); });
}

Variant Variant::Long(int32_t n) {
    return Typed(VT_I4, [n](VARIANT& v) { V_I4(&v) = n; });
}

Variant Variant::Short(int16_t n) {
    return Typed(VT_I2, [n](VARIANT& v) { V_I2(&v) = n; });
}

Variant Variant::Bool(bool b) {
    return Typed(VT_BOOL, [b](VARIANT& v) { V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE; });
}

ComApartment::ComApartment() {
    // S_FALSE (already initialised on this thread) still needs its matching
    // CoUninitialize; only a real failure does not.
    ok_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment() {
    if (ok_) CoUninitialize();
}

void RaiseFailure(HRESULT hr, EXCEPINFO* ei) {
    CallFailure f;
    f.hresult = static_cast<int32_t>(hr);
    if (ei) {
        if (ei->pfnDeferredFillIn) ei->pfnDeferredFillIn(ei);
        // Owned from here on, whatever happens below.
        const Bstr description = Bstr::Attach(std::exchange(ei->bstrDescription, nullptr));
        const Bstr source = Bstr::Attach(std::exchange(ei->bstrSource, nullptr));
        const Bstr helpFile = Bstr::Attach(std::exchange(ei->bstrHelpFile, nullptr));
        f.scode = static_cast<int32_t>(ei->scode);
        f.wCode = ei->wCode;
        f.description = description.Utf8();
    }
    throw TrappedError(MapFailure(f, SystemMessage));
}

Dispatch Dispatch::Create(const wchar_t* progId) {
    CLSID clsid{};
    ComPtr<IDispatch> p;
    if (FAILED(CLSIDFromProgID(progId, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(p.put()))) ||
        !p)
        kErrCannotCreate.Raise();
    return Dispatch(std::move(p));
}

Dispatch Dispatch::From(Variant& v) {
    VARIANT* raw = v.get();
    ComPtr<IDispatch> p;
    if (V_VT(raw) == VT_DISPATCH && V_DISPATCH(raw)) {
        V_DISPATCH(raw)->AddRef();
        p.reset(V_DISPATCH(raw));
    } else if (V_VT(raw) == VT_UNKNOWN && V_UNKNOWN(raw)) {
        const HRESULT hr = V_UNKNOWN(raw)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(p.put()));
        if (FAILED(hr)) RaiseFailure(hr);
    }
    if (!p) kErrTypeMismatch.Raise();
    return Dispatch(std::move(p));
}

DISPID Dispatch::IdOf(const wchar_t* name) {
    std::wstring buf(name);
    LPOLESTR names[] = {&buf[0]};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) RaiseFailure(hr);
    return id;
}

Variant Dispatch::Invoke(const wchar_t* name, WORD flags, std::vector<Variant> args) {
    if (!p_) RaiseFailure(E_POINTER);
    const DISPID id = IdOf(name);

    // Shallow copies: `args` keeps ownership and clears them afterwards.
    std::vector<VARIANT> reversed(args.size());
    for (size_t i = 0; i < args.size(); ++i) reversed[i] = *args[args.size() - 1 - i].get();

    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        // A property put names its value argument; without it Invoke answers
        // DISP_E_PARAMNOTFOUND.
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }

    Variant result;
    EXCEPINFO ei{};
    UINT argErr = 0;
    const HRESULT hr = p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                  (flags & DISPATCH_PROPERTYPUT) ? nullptr : result.get(), &ei, &argErr);
    if (FAILED(hr)) RaiseFailure(hr, &ei);
    return result;
}

}  // namespace vantrel::win
