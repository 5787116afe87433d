#include "platform/host_win.h"

#include "platform/ui_win.h"

namespace vantrel::win {

const wchar_t* const kInstanceMutexName = L"Local\\VantrelV1_0.SingleInstance";

Handle& Handle::operator=(Handle&& o) noexcept {
    if (this != &o) {
        reset();
        h_ = o.h_;
        o.h_ = nullptr;
    }
    return *this;
}

void Handle::reset() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
}

ErrValue FileError(DWORD lastError) {
    switch (lastError) {
    case ERROR_FILE_NOT_FOUND:
        return {53, "ファイルが見つかりません。"};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return {70, "書き込みできません。"};
    default:
        return {75, "パス名が無効です。"};
    }
}

bool Host::PrevInstance() {
    // The mutex is created on the first question and kept: creation and the
    // "already exists" answer are one atomic step in the kernel, so of two
    // copies started at the same moment exactly one sees itself as first.
    if (!instance_) {
        SetLastError(ERROR_SUCCESS);
        instance_ = Handle(CreateMutexW(nullptr, FALSE, instanceName_.c_str()));
        const DWORD err = GetLastError();
        // A mutex of that name made by another user cannot be opened, but it
        // still means a copy is running.
        prevInstance_ = err == ERROR_ALREADY_EXISTS || (!instance_ && err == ERROR_ACCESS_DENIED);
    }
    return prevInstance_;
}

namespace {
std::wstring ModulePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);  // truncated: ask again with more room
    }
}
}  // namespace

std::string Host::ExeFolder() {
    const std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::string();
    std::wstring folder = path.substr(0, slash);
    // A drive root keeps its backslash: "D:" alone would mean D's current folder.
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return Narrow(folder);
}

std::string Host::ExeBaseName() {
    const std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return Narrow(name);
}

void Host::OpenForRead(const std::string& path) {
    file_.reset();
    Handle h(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) throw TrappedError(FileError(GetLastError()));
    file_ = std::move(h);
}

void Host::Close() { file_.reset(); }

void Host::DeleteFile(const std::string& path) {
    if (!::DeleteFileW(Widen(path).c_str())) throw TrappedError(FileError(GetLastError()));
}

}  // namespace vantrel::win
