#include "platform/text_win.h"

#include "platform/errors.h"

namespace vantrel::win {

// ---- text ---------------------------------------------------------------------

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

namespace {
std::string FromWide(const std::wstring& w, UINT codePage, BOOL* usedDefault) {
    if (w.empty()) return std::string();
    const int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                                      usedDefault);
    std::string s(static_cast<size_t>(n), '\0');
    if (n) WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}
}  // namespace

std::string Narrow(const std::wstring& utf16) { return FromWide(utf16, CP_UTF8, nullptr); }

std::string ToAnsi(const std::wstring& text, bool* lossless) {
    BOOL usedDefault = FALSE;
    std::string s = FromWide(text, CP_ACP, lossless ? &usedDefault : nullptr);
    if (lossless) *lossless = !usedDefault;
    return s;
}

void SetText(HWND h, const std::string& utf8) { SetWindowTextW(h, Widen(utf8).c_str()); }

// ---- errors -------------------------------------------------------------------

std::string SystemMessage(int32_t number) {
    auto lookup = [](DWORD id) {
        wchar_t* buf = nullptr;
        const DWORD n = FormatMessageW(
            FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            id, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
        std::string text;
        if (n && buf) text = Narrow(std::wstring(buf, n));
        if (buf) LocalFree(buf);
        return TrimMessage(text);
    };
    const HRESULT hr = static_cast<HRESULT>(number);
    std::string text = lookup(static_cast<DWORD>(hr));
    // A Win32 error wrapped in an HRESULT is sometimes only known by its code.
    if (text.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32 && FAILED(hr))
        text = lookup(static_cast<DWORD>(HRESULT_CODE(hr)));
    return text;
}

void RaiseLastError() {
    CallFailure f;
    f.hresult = static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError()));
    throw TrappedError(MapFailure(f, SystemMessage));
}

}  // namespace vantrel::win
