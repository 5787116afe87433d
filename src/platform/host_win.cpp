#include "platform/host_win.h"

namespace vantrel::win {

const wchar_t* const kInstanceMutexName = L"Local\\VantrelV1_0.SingleInstance";

namespace {

// A failed file operation: kErrFileNotFound for a missing file,
// kErrPermissionDenied for a refusal (access, sharing, write protection),
// kErrPathAccess for every other path or access failure.
[[noreturn]] void RaiseFileError() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND: kErrFileNotFound.Raise();
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: kErrPermissionDenied.Raise();
    default: kErrPathAccess.Raise();
    }
}

}  // namespace

bool Host::PrevInstance() {
    // The mutex is created on the first question and kept: creation and the
    // "already exists" answer are one atomic step in the kernel, so of two
    // copies started at the same moment exactly one sees itself as first.
    if (!instance_) {
        SetLastError(ERROR_SUCCESS);
        instance_.reset(CreateMutexW(nullptr, FALSE, instanceName_.c_str()));
        const DWORD err = GetLastError();
        // A mutex of that name made by another user cannot be opened, but it
        // still means a copy is running.
        prevInstance_ = err == ERROR_ALREADY_EXISTS || (!instance_ && err == ERROR_ACCESS_DENIED);
    }
    return prevInstance_;
}

std::string Host::ExePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n == 0) RaiseLastError();
        if (n < buf.size()) return Narrow(buf.substr(0, n));
        buf.resize(buf.size() * 2);  // truncated: ask again with more room
    }
}

void Host::OpenForRead(const std::string& path) {
    file_.reset();
    const HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseFileError();
    file_.reset(h);
}

void Host::Close() { file_.reset(); }

void Host::RemoveFile(const std::string& path) {
    if (!DeleteFileW(Widen(path).c_str())) RaiseFileError();
}

int Host::WindowsMajorVersion() {
    // GetVersionEx answers what the manifest lets it (6.2 for a program that
    // does not name Windows 10); the kernel's own call tells the truth.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                           : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return get && get(&info) == 0 ? static_cast<int>(info.dwMajorVersion) : 0;
}

bool Host::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Host::OpenWithSystem(const std::string& target) {
    // shell32 is loaded only here, on the rare way that needs it: importing
    // it would load it, and much with it, at every start. The DLL search is
    // restricted to the system folder, so the name finds the system's copy.
    // It stays loaded: the handler it starts may still be at work in it.
    using ShellExecute = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int);
    const HMODULE shell32 = LoadLibraryW(L"shell32.dll");
    const auto run = shell32 ? reinterpret_cast<ShellExecute>(
                                   reinterpret_cast<void*>(GetProcAddress(shell32, "ShellExecuteW")))
                             : nullptr;
    if (!run) RaiseLastError();
    const INT_PTR answer =
        reinterpret_cast<INT_PTR>(run(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (answer <= 32) {
        SetLastError(ShellExecuteError(answer));
        RaiseLastError();
    }
}

}  // namespace vantrel::win
