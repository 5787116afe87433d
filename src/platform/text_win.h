// What every Win32 file of the program stands on: text conversion at the
// boundary, owned handles, and the failed call's error.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace vantrel::win {

// UTF-8 (the core's texts) <-> UTF-16 (W calls) <-> the ANSI code page (A calls).
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// `lossless`, when given, tells whether every character has a form in the code page.
std::string ToAnsi(const std::wstring& text, bool* lossless = nullptr);
void SetText(HWND h, const std::string& utf8);

// A handle released by `Release` with its holder. Move-only.
template <auto Release>
struct Releaser {
    template <class H>
    void operator()(H h) const { Release(h); }
};
template <class H, auto Release>
using Owned = std::unique_ptr<std::remove_pointer_t<H>, Releaser<Release>>;
using Font = Owned<HFONT, DeleteObject>;
using Bitmap = Owned<HBITMAP, DeleteObject>;
using Menu = Owned<HMENU, DestroyMenu>;
using MemoryDc = Owned<HDC, DeleteDC>;
using KernelHandle = Owned<HANDLE, CloseHandle>;

// The system's message text for a number, trimmed, or empty.
std::string SystemMessage(int32_t number);
// Raises the TrappedError for GetLastError(), as a failed call's HRESULT.
[[noreturn]] void RaiseLastError();

}  // namespace vantrel::win
