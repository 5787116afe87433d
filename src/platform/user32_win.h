// Calls of user32 that not every supported system has.
#pragma once

#include <windows.h>

namespace vantrel::win {

// Looked up at run time: systems before Windows 10 (1607) lack them, and
// user32 is loaded already, so nothing is searched for. nullptr where missing.
template <class F>
F User32(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace vantrel::win
